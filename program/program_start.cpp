#include "program/program_start.h"

#include <QApplication>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "cli/command_line.h"
#include "core/platform_paths.h"
#include "core/program_values.h"
#include "core/single_instance.h"
#include "core/win1252.h"
#include "pagefile/page_folder.h"
#include "preview/preview.h"
#include "print/printers.h"
#include "program/display_check.h"
#include "program/file_handover.h"
#include "program/first_paint.h"
#include "program/font_config_preload.h"
#include "program/main_window.h"
#include "program/projection_window.h"
#include "program/report_calculo.h"
#include "program/visibility_window.h"
#include "runtime/error_handler.h"
#include "runtime/html_log.h"
#include "runtime/process.h"
#include "runtime/startup.h"
#include "ui/dialogs.h"
#include "ui/form_layer.h"
#include "update/check_at_start.h"
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

// While the start-up check waits for the server, the status bar says so.
void showUpdateWait(bool waiting) {
    static std::string before;
    if (!IsWindowDefined("wmenu")) {
        return;
    }
    if (waiting) {
        before = GetProperty("wmenu", "STATUSITEM", "value").text();
        SetProperty("wmenu", "STATUSITEM", "value",
                    "    " + utf8ToWin1252("Verificando atualização…"));
    } else {
        SetProperty("wmenu", "STATUSITEM", "value", before);
    }
}

const char* const kProgramDescription =
    "vistametra: sizes the projection screen of an auditorium or meeting room. A project file "
    "named on the command line is opened right after start-up, as Arquivo > Abrir opens it; "
    "while the program runs, a second start with a project file hands it to the running window, "
    "which opens it; a second start without a file says \"Program Already Running\".\n";

void describeCommandLine(CLI::App& app, std::string& file, bool& version) {
    app.formatter(WrappingFormatter(HelpColumns()));
    app.add_option("PROJECT.qtv", file, "project file to open");
    app.add_flag("--version", version, "print the version and end");
    app.footer(
        "Qt's own options (-platform, -display...) are accepted as well. "
        "See also vistametra-report(1).\n");
}

// --version and --help answer before the application object exists, so that they work without
// a display. Returns the exit code when the process is to end, else -1.
int answerWithoutWindow(int argc, char** argv) {
    std::string file;
    bool version = false;
    CLI::App app{kProgramDescription, "vistametra"};
    describeCommandLine(app, file, version);
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::cout << VersionLine("vistametra") << std::endl;
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::cout << app.help() << std::flush;
            return 0;
        }
    }
    return -1;
}

// The arguments that Qt has left: at most one project file. Returns false after saying why.
bool readFileArgument(int argc, char** argv, std::string& file) {
    bool version = false;
    CLI::App app{kProgramDescription, "vistametra"};
    describeCommandLine(app, file, version);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        std::cerr << "vistametra: " << e.what() << " (see --help)" << std::endl;
        return false;
    }
    return true;
}

}  // namespace

void OpenHandedOverFile(const std::string& file) {
    if (IsWindowActive("wmenu")) {
        DoMethod("wmenu", "show");
        DoMethod("wmenu", "setfocus");
        if (PodeDescartarAlteracoes()) {
            AbrirProjeto(file);
        }
    }
}

int RunProgram(int argc, char** argv, const ProgramStart& options) {
    if (options.readCommandLine) {
        if (const int code = answerWithoutWindow(argc, argv); code >= 0) {
            return code;
        }
    }
    // Without a display Qt could only fail inside the windowing system, after the error handler
    // took over: one line says why instead, and no error log is written.
    if (std::string reason; !HasDisplay(argc, argv, &reason)) {
        std::cerr << "vistametra: no display found (" << reason << ")" << std::endl;
        return 1;
    }
    ErrorSys();
    FontConfigPreload fonts;
    QApplication app(argc, argv);
    fonts.wait();
    ProgramStart start = options;
    if (options.readCommandLine) {
        std::string file;
        if (!readFileArgument(argc, argv, file)) {
            return 2;
        }
        // A path is kept as the file system's bytes, as the file dialog gives it.
        start.fileToOpen = file;
    }
    if (start.afterApplication) {
        start.afterApplication();
    }
    return StartProgram(start);
}

int StartProgram(const ProgramStart& options) {
    InitFormLayer();
    // The guard is probed before anything else, and keyed by this program file's full path.
    const bool alreadyRunning = !acquireInstanceLock(programFile());

    const std::string socketFile = handoverSocketFile(instanceLockFile(programFile()));

    if (alreadyRunning && !options.fileToOpen.empty()) {
        // The file goes to the running window; this start ends 0 only once it arrived there.
        std::string error;
        if (handFileOver(socketFile, options.fileToOpen, &error)) {
            EndProcess(0);
            return 0;
        }
        const std::string text = "O arquivo não pôde ser entregue ao programa em execução:\n" +
                                 error + "\n" + options.fileToOpen;
        std::cerr << "vistametra: " << text << std::endl;
        SetErrorLogFile("Vistametra.htm");
        MsgStop(utf8ToWin1252(text), "Stop");
        EndProcess(1);
        return 1;
    }
    if (alreadyRunning) {
        SetErrorLogFile("Vistametra.htm");
        MsgStop("Program Already Running", "Stop");
        EndProcess(0);
        return 0;
    }

    // The lock file goes with the program, however it ends, so none pile up in the folder.
    RemoveAtProcessEnd(instanceLockFile(programFile()));
    // Page files and lock files that killed runs could not take with them.
    RemoveLeftPageFolders(tempFolder());
    RemoveLeftInstanceLocks(programFile());
    // A later start with a file hands it here: the window comes forward and opens it as
    // "&Abrir" opens a chosen file. Without the socket the program still runs.
    if (std::string error; !listenForFiles(socketFile, OpenHandedOverFile, &error)) {
        std::cerr << "vistametra: " << error << std::endl;
    }

    StartWithoutWindow();
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
    if (!options.fileToOpen.empty()) {
        mainWindowProcedures().afterStart = [file = options.fileToOpen] { AbrirProjeto(file); };
    } else {
        mainWindowProcedures().afterStart = {};
    }
    if (options.checkForUpdates) {
        const UpdateSite site = options.updateSite.value_or(UpdateSite{});
        mainWindowProcedures().update = [site](bool manual) {
            if (manual) {
                UpdateFrom(site, true);
            } else {
                CheckAtStart(site, showUpdateWait);
            }
        };
        mainWindowProcedures().chooseCheckAtStart = ChooseCheckAtStart;
    } else {
        mainWindowProcedures().update = {};
        mainWindowProcedures().chooseCheckAtStart = {};
    }
    mainWindowProcedures().visibilidade = ShowVisibilityWindow;
    mainWindowProcedures().projecao = ShowProjectionWindow;
    mainWindowProcedures().projetoAlterado = [] {
        RefreshVisibilityWindow();
        RefreshProjectionWindow();
    };
    DefineMainWindow();
    DoMethod("wmenu", "center");
    DoMethod("wmenu", "activate");
    return 0;
}

}  // namespace vm
