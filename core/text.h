#pragma once
// Text conversions through which every number, date and logical of the program is shown, printed,
// stored and read back. Text is Windows-1252 bytes in std::string: lengths and positions count
// bytes, and positions start at 1. None of these functions fails: overflow gives asterisks and
// unreadable text gives 0. None consults the locale: the decimal mark is always ".".

#include <optional>
#include <string>
#include <string_view>

namespace vm {

// The number as right-aligned text of a fixed width, rounded half away from zero at the last shown
// digit of the value's exact decimal expansion (with the seventeen-digit correction that makes
// 2.425 round to 2.43, while 7.2049999999999991 gives 7.20). Without a width, a
// whole number takes width 10 (20 beyond nine digits) and a fractional one 10 integer positions,
// a point and 2 decimals. A width below 1 counts as 10. Overflow gives `width` asterisks.
std::string Str(double value);
std::string Str(double value, int width, int decimals = 0);

// Like Str, with the leading blanks turned into zeros and a minus sign moved to the first position.
std::string StrZero(double value, int width, int decimals = 0);

// The number the text begins with: blanks, tabs, CR and LF skipped, an optional sign, digits with
// at most one point; the rest is ignored. No digits give 0; more digits than a double holds give
// the nearest double (infinity beyond its range).
double Val(std::string_view text);

// True when the whole text is a number as a project file holds it: blanks, an optional sign,
// digits with at most one point (at least one digit), blanks. "3,5", "5x", "1e3" and "" are not.
bool IsNumberText(std::string_view text);

// The text centred in `length` characters with `fill` (half of the missing count, rounded down, on
// the left); a longer text is cut to its first `length` characters; a length of 0 or less gives "".
std::string PadC(std::string_view text, int length, char fill = ' ');

// Without trailing blanks (character 32 only) and then without leading blanks, tabs, CR and LF.
std::string AllTrim(std::string_view text);

// "T" or "F".
std::string LToC(bool value);

// `count` characters from position `start` (1-based). A start of 0 counts as 1, a negative start
// counts from the end; a count of 0 or less, or a start past the end, gives "".
std::string SubStr(std::string_view text, int start, std::optional<int> count = std::nullopt);

// Position (1-based) of the first occurrence of `search` in `text`, or 0 (also for an empty
// search).
int At(std::string_view search, std::string_view text);

int Len(std::string_view text);

// True for "" and for text of nothing but blanks, tabs, CR and LF.
bool Empty(std::string_view text);

// The whole part, cut toward zero, after multiplying by 1 + 2^-52 so that 0.3 / 0.1 gives 3.
double Int(double value);

}  // namespace vm
