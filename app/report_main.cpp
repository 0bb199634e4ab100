// vistametra-report: the program's start-up and calculation without a window.
#include <csignal>

#include "app/report_tool.h"

#ifdef VM_REPORT_WRITER
#include <QGuiApplication>

#include "app/report_output.h"
#endif

int main(int argc, char** argv) {
    // A closed pipe on standard output is a write error to report, not a silent death.
    signal(SIGPIPE, SIG_IGN);
#ifdef VM_REPORT_WRITER
    // Fonts and painting need a GUI application; the tool never shows a window.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    return vm::runReportTool(argc, argv, vm::writeReportFile);
#else
    return vm::runReportTool(argc, argv);
#endif
}
