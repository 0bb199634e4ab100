#pragma once
// The run-time error record: one per error, built by whatever raised it and handed to DefError.

#include <optional>
#include <string>

namespace vm {

// Generic classes of error that the handler tests.
enum GenCode : int {
    kGenNone = 0,
    kGenZeroDiv = 5,      // division or remainder by zero
    kGenOpen = 21,        // open failure
    kGenAppendLock = 40,  // append lock failure
    kGenLock = 41,        // lock failure
};

struct ErrorRecord {
    int GenCode = kGenNone;
    std::optional<std::string> SubSystem;  // the raiser, e.g. "MGERROR"; none shows as "???"
    std::optional<int> SubCode;            // the raiser's own number; none shows as "???"
    int Severity = 2;                      // 1 or less: a warning; above 1: an error
    std::optional<std::string> Description;
    std::string Operation;  // the operator or operation involved, "" when none
    std::string FileName;   // the file involved, "" when none
    int OsCode = 0;         // the operating system's error code, 0 when none
    bool CanRetry = false;
    bool CanSubstitute = false;
    bool CanDefault = false;
};

}  // namespace vm
