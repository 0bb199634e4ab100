// The program: start-up, then the main window until it is released.
#include <QApplication>

#include "app/program_start.h"
#include "runtime/error_handler.h"

int main(int argc, char** argv) {
    vm::ErrorSys();
    QApplication app(argc, argv);
    return vm::StartProgram();
}
