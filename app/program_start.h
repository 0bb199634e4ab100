// The program's start-up once the application object exists: the single-instance guard, the
// program-wide values, the main window "wmenu" and its event loop.
#pragma once

namespace vm {

struct ProgramStart {
    // The main window asks the vendor's server for a newer version when it opens.
    bool checkForUpdates = true;
};

// Returns the process's exit code; the main window's release ends the process before that.
int StartProgram(const ProgramStart& options = {});

}  // namespace vm
