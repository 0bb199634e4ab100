#include "app/report_tool.h"

int main(int argc, char** argv) {
    return vm::runReportTool(argc, argv);
}
