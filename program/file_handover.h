#pragma once
// Handing a project file to the running window: a second start of the program with a file sends
// the file's full path over a local socket beside the single-instance lock, and the running
// window raises itself and opens it as "&Abrir" opens a chosen file.

#include <functional>
#include <string>

namespace vm {

// The socket's full path for the given lock file.
std::string handoverSocketFile(const std::string& lockFile);

// Listens on the socket for the life of the process (the socket file is removed at its end).
// Each connection is read on a thread of its own within one deadline for the whole path, so a slow
// client never holds up the window. Every path received is given to `open` on the event-loop
// thread, in order, once the window is free: no modal dialog is open and no command is still
// running a nested event loop (a path handed over while "Salvar como" asks for a name waits until
// that command is done). The sender is told that it arrived as soon as it is read. False, with the
// reason, when the socket cannot be made.
bool listenForFiles(const std::string& socketFile, std::function<void(const std::string&)> open,
                    std::string* error);

// Sends `file` (made absolute against the current folder) to the running program and waits for
// its receipt. False, with the reason in Portuguese, when it was not handed over.
bool handFileOver(const std::string& socketFile, const std::string& file, std::string* error);

}  // namespace vm
