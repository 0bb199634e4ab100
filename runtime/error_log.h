#pragma once
// The detailed report that the first fatal error of a run writes into the error log: system,
// settings, work areas, the error record and the memory variables.

#include <string>
#include <string_view>

#include "runtime/error_record.h"
#include "runtime/mem_vars.h"

namespace vm {

// Writes the report through HTML_LineText, only the first time in a run (later calls write
// nothing). Writes nothing when the handle is not above 0.
void ErrorLog(int handle, const ErrorRecord& error);

// Value as text for the report: text unchanged, numbers in decimal without blanks, dates as DToC
// writes them, logicals "ON"/"OFF" when `onOff` is true else ".T."/".F."; anything else "".
std::string StrValue(const MemVarValue& value, bool onOff = false);

// A label of 21 characters: the words, dots up to the 19th character, then ": ".
std::string ReportLabel(std::string_view words);

// A section title: the text centred in 79 characters of `fill`.
std::string SectionTitle(std::string_view text, char fill = '-');

// The mount point that holds `path`: the longest mount point of /proc/self/mountinfo's text
// that is `path` or one of its parent folders; "/" when none matches.
std::string MountPointOf(std::string_view path, std::string_view mountInfo);

// For tests: the report is written again by the next call.
void ResetErrorLogWritten();

}  // namespace vm
