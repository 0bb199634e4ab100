#pragma once
// Windows-1252 <-> UTF-8, used at every boundary where the program's 8-bit text meets Unicode
// (Qt, the command line, JSON).

#include <string>
#include <string_view>

namespace vm {

// Every byte maps to a character; the five bytes that Windows-1252 leaves undefined (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) map to the C1 control of the same number so that nothing is lost.
std::string win1252ToUtf8(std::string_view text);

// The same text as UTF-16, as the metafile's text records and font names hold it; every
// Windows-1252 character is one UTF-16 unit.
std::u16string win1252ToUtf16(std::string_view text);

// Characters that Windows-1252 cannot hold, and malformed UTF-8, become "?".
std::string utf8ToWin1252(std::string_view text);

// True when the text is valid UTF-8 and Windows-1252 holds every character of it.
bool fitsWin1252(std::string_view utf8);

// The capital of a Windows-1252 letter (a-z, the accented letters, "š", "œ", "ž", "ÿ"); any other
// character unchanged ("ß" has no single-character capital). Never consults the locale.
char upperWin1252(char c);
std::string upperWin1252(std::string_view text);

}  // namespace vm
