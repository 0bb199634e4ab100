// The program's start-up: the error handler, the application object (with the font configuration
// read beside it), the single-instance guard, the program-wide values, the main window "wmenu"
// and its event loop.
#pragma once

#include <functional>

namespace vm {

struct ProgramStart {
    // The main window asks the vendor's server for a newer version when it opens.
    bool checkForUpdates = true;
    // Runs once the application object exists, before anything else of the program.
    std::function<void()> afterApplication;
};

// The whole program: the error handler, the application object, then StartProgram. Returns the
// process's exit code.
int RunProgram(int argc, char** argv, const ProgramStart& options = {});

// Start-up once the application object exists. Returns the process's exit code; the main
// window's release ends the process before that.
int StartProgram(const ProgramStart& options = {});

}  // namespace vm
