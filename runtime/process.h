#pragma once
// How the process ends and how the runtime shows its error boxes. Both go through replaceable
// handlers so that tests observe the end and the boxes instead of dying, and so that the form
// layer can put a real message box in place of the text on standard error.

#include <functional>
#include <string>

#include "core/end_files.h"

namespace vm {

// Thrown by the paths that must not go on (the fatal error path) when a replaced end handler
// returns instead of ending the process. Deliberately not a std::exception, so that ordinary
// "catch (const std::exception&)" blocks let it through to the test that expects it.
struct ProcessEnded {
    int exitCode = 0;
};

// Ends the process with the given exit code. The files named by RemoveAtProcessEnd are removed
// first. By default the C streams are then flushed and the process ends at once (std::_Exit),
// running no destructors. When a test has replaced the handler and the
// handler returns, EndProcess returns too; callers that must not go on use EndProcessNoReturn.
void EndProcess(int exitCode);

// The files named by RemoveAtProcessEnd (core/end_files.h) go at every end of the process:
// EndProcess (so also the main window's release and the fatal error path) and, once ErrorSys has
// installed its handlers, SIGTERM, SIGINT and SIGHUP.

// Like EndProcess, but never returns: when a replaced handler returns, throws ProcessEnded.
[[noreturn]] void EndProcessNoReturn(int exitCode);

// Replaces the handler that EndProcess calls. An empty function restores the default (really end
// the process).
void SetEndProcessHandler(std::function<void(int)> handler);

// Shows an error box with the given text and title. By default writes the title and the text to
// standard error; the form layer installs a real message box.
void ShowErrorBox(const std::string& text, const std::string& title);

// Replaces the handler that ShowErrorBox calls. An empty function restores the default.
void SetErrorBoxHandler(
    std::function<void(const std::string& text, const std::string& title)> handler);

}  // namespace vm
