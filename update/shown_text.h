#pragma once
// A text from the network cut to a size that a message box or a label can show whole.

#include <cstddef>
#include <string>

namespace vm {

// The first `maxChars` characters of `text`, and no more than its first `maxLines` lines; when
// anything was cut, the line end before the cut goes too and "…" (Windows-1252 byte 133) follows.
// A text within both bounds comes back unchanged.
std::string Abbreviated(const std::string& text, std::size_t maxChars, std::size_t maxLines);

}  // namespace vm
