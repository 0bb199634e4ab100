// The program: start-up, then the main window until it is released.
#include <QApplication>

#include "core/platform_paths.h"
#include "core/single_instance.h"
#include "core/startup.h"
#include "report/printers.h"
#include "report/report_calculo.h"
#include "runtime/error_handler.h"
#include "runtime/html_log.h"
#include "runtime/process.h"
#include "ui/dialogs.h"
#include "ui/form_layer.h"
#include "ui/main_window.h"
#include "update/update_check.h"

int main(int argc, char** argv) {
    vm::ErrorSys();
    QApplication app(argc, argv);
    vm::InitFormLayer();
    // The guard is probed before anything else, and keyed by this program file's full path.
    const bool alreadyRunning = !vm::acquireInstanceLock(vm::programFile());

    if (alreadyRunning) {
        vm::SetErrorLogFile("Vistametra.htm");
        vm::MsgStop("Program Already Running", "Stop");
        vm::EndProcess(0);
        return 0;
    }

    vm::IniciarSemJanela(vm::GetDefaultPrinter);
    vm::SetErrorLogFile("qtv.htm");
    vm::SetErrorLogOn(true);
    vm::SetEnterNavigation(true);
    vm::SetDefaultFont("ARIAL", 9);
    vm::SetDefaultIcon("qtv");

    vm::mainWindowProcedures().reportCalculo = vm::ReportCalculo;
    vm::mainWindowProcedures().getPrinter = vm::GetPrinter;
    vm::mainWindowProcedures().getDefaultPrinter = vm::GetDefaultPrinter;
    vm::mainWindowProcedures().update = [](bool manual) { vm::Update(manual); };
    vm::DefinirJanelaPrincipal();
    vm::DoMethod("wmenu", "center");
    vm::DoMethod("wmenu", "activate");
    return 0;
}
