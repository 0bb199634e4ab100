#pragma once

#include <functional>
#include <string>

namespace vm {

// Ends the process with the given exit code. By default the process really ends (std::_Exit after
// flushing the C streams). A test replaces the handler to observe the end and its code; a
// replaced handler that returns makes EndProcess return as well, so callers that must not go on
// (the fatal error path) throw or longjmp from the handler in tests, or guard themselves.
void EndProcess(int exitCode);

// Replaces the handler that EndProcess calls. An empty function restores the default (really
// end the process). Returns nothing; the previous handler is dropped.
void SetEndProcessHandler(std::function<void(int)> handler);

// Shows an error box with the given text and title. By default writes the title and the text to
// standard error; the form layer installs a real message box. A failing handler is not caught.
void ShowErrorBox(const std::string& text, const std::string& title);

// Replaces the handler that ShowErrorBox calls. An empty function restores the default.
void SetErrorBoxHandler(std::function<void(const std::string& text, const std::string& title)> handler);

} // namespace vm
