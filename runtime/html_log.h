#pragma once
// The HTML error log: its name and switch, opening it for an entry and writing its lines.
// A log handle is a file descriptor; a handle that is not above 0 means "no log", and every
// writer then writes nothing. Text is the program's Windows-1252 bytes and is written as such.

#include <string>
#include <string_view>

namespace vm {

// The log's title; the head of a new log carries it.
inline constexpr const char* kErrorLogTitle = "Vistametra Runtime Errorlog File";

// Sets the log file name; an empty name restores the initial one, "Vistametra.htm". Relative
// names are taken, when the log is opened, in the log folder (logFolder: the current folder, but
// never a system folder; an installed copy writes under $XDG_STATE_HOME/vistametra/).
void SetErrorLogFile(const std::string& name);
std::string ErrorLogFile();

// The log switch (initially on). While it is off no file is touched.
void SetErrorLogOn(bool on);
bool ErrorLogOn();

// The form layer's version text, shown under the title of a new log. The form layer sets it.
void SetFormLayerVersionText(std::string text);
std::string FormLayerVersionText();

// "<", ">" and "&" as HTML entities; everything else unchanged.
std::string HtmlEscape(std::string_view text);

// Opens the log for appending: creates it with its head and a rule when it does not exist.
// Returns -1 when the switch is off, when it cannot be created (after the "Can`t open errorlog
// file" box) and, silently, when an existing log cannot be opened. The caller closes the handle
// with HTML_End.
int HTML_ErrorLog();

// Creates (or empties) `file` (relative: in the log folder) and writes the two head lines.
// Returns -1 when the switch is off
// and, after the box "Can`t open errorlog file " + file titled "Error", when it cannot be created.
int HTML_Ini(const std::string& file, const std::string& title);

// One line: the text without trailing blanks (a CR LF at its end stays), escaped, then "<BR>".
void HTML_LineText(int handle, std::string_view text);

// One line of which only `text` is escaped; `openTag` and `closeTag` are written as markup.
// Trailing blanks of the whole line are removed as in HTML_LineText.
void HTML_MarkupLine(int handle, std::string_view openTag, std::string_view text,
                     std::string_view closeTag);

// A rule, "<HR>".
void HTML_Line(int handle);

// "</BODY></HTML>" without a line end, then closes the handle (closed even while the switch is
// off, so no descriptor is left open).
void HTML_End(int handle);

}  // namespace vm
