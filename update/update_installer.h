#pragma once
// Starting the downloaded installer. The update check goes through one replaceable starter, so
// tests observe the start instead of running anything.

#include <functional>
#include <string>

namespace vm {

// Starts the installer at `path` with the starter in use (LaunchInstaller unless replaced).
// False when it could not be started.
bool StartInstaller(const std::string& path);

// Replaces the starter; an empty function restores LaunchInstaller.
void SetInstallerStarter(std::function<bool(const std::string& path)> starter);

// Sets the file's run bit and starts it in a session of its own, in the current folder, without
// waiting for it. Where the file cannot be executed (its run bit cannot be set, the folder does
// not allow programs, or the system does not know the file's format), the file is handed to the
// desktop's opener instead: `opener` is a path, or a name looked up in PATH, started with the
// file's path as its one argument. True when the installer or the opener was started; false when
// neither could be (for example no opener is installed).
bool LaunchInstaller(const std::string& path, const std::string& opener = "xdg-open");

}  // namespace vm
