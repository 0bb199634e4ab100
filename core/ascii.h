#pragma once
// ASCII letters without regard to case, whatever the user's locale: names of forms and controls,
// HTTP header names, file suffixes. Bytes outside A-Z and a-z (Windows-1252 letters included) are
// compared and kept as they are.

#include <string>
#include <string_view>

namespace vm {

// 'A'..'Z' as 'a'..'z'; every other byte unchanged.
char AsciiLower(char c);
std::string AsciiLower(std::string_view text);

// Whether the two texts are equal once their ASCII letters are lower case.
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

// Whether `text` ends in `suffix`, ASCII letters compared without regard to case.
bool EndsWithIgnoringAsciiCase(std::string_view text, std::string_view suffix);

}  // namespace vm
