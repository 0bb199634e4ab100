// The program's start-up: the error handler, the application object (with the font configuration
// read beside it), the single-instance guard, the program-wide values, the main window "wmenu"
// and its event loop.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "update/update_site.h"

namespace vm {

struct ProgramStart {
    // The main window asks the vendor's server for a newer version when it opens.
    bool checkForUpdates = true;
    // Runs once the application object exists, before anything else of the program.
    std::function<void()> afterApplication;
    // The command line is the program's own: --version, --help and a project file to open; off,
    // the arguments go to Qt alone.
    bool readCommandLine = false;
    // A project file to open once the main window has started, as "&Abrir" opens it.
    std::string fileToOpen;
    // Where the update check asks; the vendor's site when not given.
    std::optional<UpdateSite> updateSite;
};

// The whole program: the error handler, the application object, then StartProgram. Returns the
// process's exit code: 0, 1 without a display (one line on standard error, before the error
// handler or the application object exist), or 2 for a bad command line (readCommandLine).
int RunProgram(int argc, char** argv, const ProgramStart& options = {});

// What the main window does with a file that a second start handed over: comes forward, asks
// about edits never saved ("Salvar as alterações?") and opens the file as "&Abrir" does.
void OpenHandedOverFile(const std::string& file);

// Start-up once the application object exists. Returns the process's exit code; the main
// window's release ends the process before that.
int StartProgram(const ProgramStart& options = {});

}  // namespace vm
