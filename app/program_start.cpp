#include "app/program_start.h"

#include <QApplication>

#include "core/platform_paths.h"
#include "core/program_values.h"
#include "core/single_instance.h"
#include "core/startup.h"
#include "report/preview.h"
#include "report/printers.h"
#include "report/report_calculo.h"
#include "report/visibility_window.h"
#include "runtime/error_handler.h"
#include "runtime/html_log.h"
#include "runtime/process.h"
#include "ui/dialogs.h"
#include "ui/first_paint.h"
#include "ui/font_config_preload.h"
#include "ui/form_layer.h"
#include "ui/main_window.h"
#include "update/update_check.h"

namespace vm {

namespace {

// Asking CUPS for the default printer takes several milliseconds and nothing needs the answer
// before a report is asked for, so the window is shown first: the answer fills PrintX right after
// the first paint, or at once when printing is asked for before that.
bool defaultPrinterAsked = false;

void askDefaultPrinter() {
    if (!defaultPrinterAsked) {
        defaultPrinterAsked = true;
        programValues().PrintX = GetDefaultPrinter();
    }
}

}  // namespace

int RunProgram(int argc, char** argv, const ProgramStart& options) {
    ErrorSys();
    FontConfigPreload fonts;
    QApplication app(argc, argv);
    fonts.wait();
    if (options.afterApplication) {
        options.afterApplication();
    }
    return StartProgram(options);
}

int StartProgram(const ProgramStart& options) {
    InitFormLayer();
    // The guard is probed before anything else, and keyed by this program file's full path.
    const bool alreadyRunning = !acquireInstanceLock(programFile());

    if (alreadyRunning) {
        SetErrorLogFile("Vistametra.htm");
        MsgStop("Program Already Running", "Stop");
        EndProcess(0);
        return 0;
    }

    IniciarSemJanela();
    AfterFirstPaint(askDefaultPrinter);
    SetErrorLogFile("qtv.htm");
    SetErrorLogOn(true);
    SetEnterNavigation(true);
    SetDefaultFont("ARIAL", 9);
    SetDefaultIcon("qtv");

    mainWindowProcedures().reportCalculo = [] {
        askDefaultPrinter();
        ReportCalculo();
    };
    mainWindowProcedures().getPrinter = [] {
        askDefaultPrinter();
        return GetPrinter();
    };
    mainWindowProcedures().getDefaultPrinter = GetDefaultPrinter;
    mainWindowProcedures().previewToFront = BringPreviewForward;
    if (options.checkForUpdates) {
        mainWindowProcedures().update = [](bool manual) { Update(manual); };
    } else {
        mainWindowProcedures().update = {};
    }
    mainWindowProcedures().visibilidade = ShowVisibilityWindow;
    mainWindowProcedures().projetoAlterado = RefreshVisibilityWindow;
    DefinirJanelaPrincipal();
    DoMethod("wmenu", "center");
    DoMethod("wmenu", "activate");
    return 0;
}

}  // namespace vm
