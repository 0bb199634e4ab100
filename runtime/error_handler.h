#pragma once

#include <string>

namespace vm {

// Raises the form layer's fatal error: builds the "MGERROR" record (SubCode 0, Severity 3,
// Description = message + " Program terminated.") and hands it to DefError, which logs it, shows
// it and ends the process through EndProcess.
void RaiseMgError(const std::string& message);

} // namespace vm
