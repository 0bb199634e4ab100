#pragma once
// The one handler of run-time errors. A few recoverable errors are answered with a value; every
// other error is fatal: the handler appends an entry to the HTML error log, shows the "Program
// Error" box with the error and the chain of calls that led to it, and ends the process with exit
// code 1, kFatalExitCode (through EndProcess, so tests can observe the end): a program that ended
// on an error does not report success.

#include <optional>
#include <string>

#include "runtime/error_record.h"

namespace vm {

// The exit code of a process ended by a fatal error.
inline constexpr int kFatalExitCode = 1;

// What DefError answers to a recoverable error.
struct ErrorAnswer {
    enum class Kind {
        Substitute,    // use `value` as the operation's result (division by zero: 0)
        Retry,         // try the failed operation again
        QuietFailure,  // let the operation fail without a message; NetErr() is true
    };
    Kind kind = Kind::Substitute;
    double value = 0;
};

// Runs once when the process starts, before anything else: routes every fatal run-time error of
// C++ into the handler (uncaught exceptions through std::set_terminate; SIGSEGV, SIGFPE, SIGABRT,
// SIGBUS and SIGILL through signal handlers on an alternate stack) and points the runtime's own
// failure log at "error.log" in the log folder (logFolder: the current folder, never a system
// folder). Calling it again changes nothing.
void ErrorSys();

// The handler. Returns the answer for a recoverable error:
//   GenCode 5 (division by zero) and CanSubstitute: the value 0;
//   GenCode 41 (lock) and CanRetry: retry;
//   GenCode 21 (open) with OsCode 32 (sharing violation) and CanDefault, or GenCode 40 (append
//   lock) and CanDefault: quiet failure, after setting NetErr() to true.
// Does not return for any other error: it logs, shows and ends the process (when a test's end
// handler returns, ProcessEnded is thrown).
ErrorAnswer DefError(const ErrorRecord& error);

// Raises the form layer's fatal error: builds the "MGERROR" record (SubCode 0, Severity 3,
// Description = message + " Program terminated.") and hands it to DefError.
[[noreturn]] void RaiseMgError(const std::string& message);

// The failed-check path of VM_CHECK: a fatal error of subsystem "CHECK" naming the condition.
[[noreturn]] void CheckFailed(const char* condition);

// The one-line description: "Error" or "Warning", the subsystem and subcode, the description,
// the file or operation, and the operating system's error code.
std::string ErrorMessage(const ErrorRecord& error);

// Shows the "Program Error" box (once per run: the text when the detail switch is on, else
// ErrorMessage), then ends the process with kFatalExitCode.
[[noreturn]] void ShowError(const std::string& text, const ErrorRecord& error);

// The detail switch: returns the value it had before the call and, when given a value, sets it.
bool ShowDetailError(std::optional<bool> newValue = std::nullopt);

// The shared-access failure flag that a quiet failure sets.
bool NetErr();
void SetNetErr(bool value);

// The language of the runtime's own error descriptions: "EN" (initially) or "PT"; start-up
// selects Portuguese. Unknown codes count as "EN".
void SetRuntimeLanguage(const std::string& code);
std::string RuntimeLanguage();

// Start-up's table settings that the detailed report shows (the program sets both on).
void SetDeletedAndSoftSeek(bool deleted, bool softSeek);

// For tests: forgets that a dialog was shown and a detailed report written in this run, and
// clears NetErr.
void ResetErrorHandlerRun();

}  // namespace vm

// A check of an internal condition that must hold; when it does not, the program ends through
// the error handler with the condition's text in the message.
#define VM_CHECK(condition) ((condition) ? static_cast<void>(0) : ::vm::CheckFailed(#condition))
