#include "core/text.h"

#include <charconv>
#include <cmath>
#include <string>

namespace vm {
namespace {

bool isBlankOrControl(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// A double's exact decimal expansion never has more significant digits than this.
constexpr int kExactDigits = 770;

// The magnitude of `value` rounded half away from zero to `decimals` places, as the digits of its
// integer part (no leading zeros, "0" when zero) and of its fraction (exactly `decimals` digits).
// Digits are read from the value's exact decimal expansion (7.2049999999999991... keeps its 1 as
// the seventeenth digit). A dropped 4 followed by nines through the sixteenth significant digit
// and a seventeenth of 2 or more counts as 5, so that decimal halves whose base-2 form falls a
// hair short (2.425, 1.005) still round up.
void roundDigits(double magnitude, int decimals, std::string& intDigits, std::string& fracDigits) {
    constexpr int kSig = 17;
    // Scientific notation with every digit of the expansion, "d.ddd...e+XX", locale-free.
    char buf[kExactDigits + 32];
    const auto written = std::to_chars(buf, buf + sizeof buf, magnitude,
                                       std::chars_format::scientific, kExactDigits - 1);
    const std::string_view text(buf, static_cast<size_t>(written.ptr - buf));
    const size_t e = text.find('e');
    int exponent = 0;
    const std::string_view exp = text.substr(e + 1);
    std::from_chars(exp.data() + (exp.front() == '+' ? 1 : 0), exp.data() + exp.size(), exponent);
    if (magnitude == 0.0) {
        exponent = 0;
    }
    // Significant digit i (from 0): the first before the point, the others after it.
    const int sigCount = static_cast<int>(e) - 1;
    auto sig = [&](int i) { return i == 0 ? text[0] : text[static_cast<size_t>(i) + 1]; };

    // The kept digits are the first `kept` significant digits; the one after them is dropped.
    const int kept = exponent + 1 + decimals;
    std::string digits;  // kept digits, most significant first
    bool roundUp = false;
    if (kept >= 0) {
        digits.reserve(static_cast<size_t>(kept) + 1);
        for (int i = 0; i < kept; ++i) {
            digits.push_back(i < sigCount ? sig(i) : '0');
        }
        if (kept < sigCount) {
            const char dropped = sig(kept);
            if (dropped >= '5') {
                roundUp = true;
            } else if (dropped == '4' && kept + 1 < kSig) {
                bool nines = true;
                for (int i = kept + 1; i < kSig - 1; ++i) {
                    if (sig(i) != '9') {
                        nines = false;
                        break;
                    }
                }
                roundUp = nines && sig(kSig - 1) >= '2';
            }
        }
    }
    if (roundUp) {
        int i = static_cast<int>(digits.size()) - 1;
        while (i >= 0 && digits[i] == '9') {
            digits[i] = '0';
            --i;
        }
        if (i >= 0) {
            ++digits[i];
        } else {
            digits.insert(digits.begin(), '1');
        }
    }
    // Split into integer and fraction digits.
    if (static_cast<int>(digits.size()) < decimals) {
        digits.insert(0, decimals - digits.size(), '0');
    }
    intDigits = digits.substr(0, digits.size() - decimals);
    fracDigits = digits.substr(digits.size() - decimals);
    const auto firstNonZero = intDigits.find_first_not_of('0');
    intDigits = firstNonZero == std::string::npos ? "0" : intDigits.substr(firstNonZero);
}

}  // namespace

std::string Str(double value, int width, int decimals) {
    if (width < 1) {
        width = 10;
    }
    if (decimals < 0) {
        decimals = 0;
    }
    const int intPositions = decimals > 0 ? width - decimals - 1 : width;
    const std::string overflow(width, '*');
    if (!std::isfinite(value) || intPositions < 1) {
        return overflow;
    }
    std::string intDigits, fracDigits;
    roundDigits(std::fabs(value), decimals, intDigits, fracDigits);
    const bool isZero = intDigits == "0" && fracDigits.find_first_not_of('0') == std::string::npos;
    const bool negative = value < 0 && !isZero;
    std::string integer = negative ? "-" + intDigits : intDigits;
    if (static_cast<int>(integer.size()) > intPositions) {
        return overflow;
    }
    std::string result(intPositions - integer.size(), ' ');
    result += integer;
    if (decimals > 0) {
        result += '.';
        result += fracDigits;
    }
    return result;
}

std::string Str(double value) {
    const bool big = std::fabs(value) > 999999999.0;
    const int intPositions = big ? 20 : 10;
    if (std::isfinite(value) && value == std::trunc(value)) {
        return Str(value, intPositions);
    }
    return Str(value, intPositions + 3, 2);
}

std::string StrZero(double value, int width, int decimals) {
    std::string s = Str(value, width, decimals);
    if (s.find('*') != std::string::npos) {
        return s;
    }
    const auto minus = s.find('-');
    for (char& c : s) {
        if (c != ' ') {
            break;
        }
        c = '0';
    }
    if (minus != std::string::npos) {
        s[minus] = '0';
        s[0] = '-';
    }
    return s;
}

double Val(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && isBlankOrControl(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    std::string number;
    bool point = false;
    bool anyDigit = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            number.push_back(c);
            anyDigit = true;
        } else if (c == '.' && !point) {
            number.push_back(c);
            point = true;
        } else {
            break;
        }
    }
    if (!anyDigit) {
        return 0.0;
    }
    double magnitude = 0.0;
    const auto parsed = std::from_chars(number.data(), number.data() + number.size(), magnitude);
    if (parsed.ec == std::errc::result_out_of_range) {
        // Too large, or too small for a double: infinity or 0.
        const bool large = number.find_first_not_of('0') < number.find('.');
        magnitude = large ? HUGE_VAL : 0.0;
    }
    return negative ? -magnitude : magnitude;
}

bool IsNumberText(std::string_view text) {
    size_t i = 0;
    auto skipBlanks = [&] {
        while (i < text.size() && text[i] == ' ') {
            ++i;
        }
    };
    skipBlanks();
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        ++i;
    }
    bool digits = false;
    bool point = false;
    for (; i < text.size(); ++i) {
        if (text[i] >= '0' && text[i] <= '9') {
            digits = true;
        } else if (text[i] == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    skipBlanks();
    return digits && i == text.size();
}

std::string PadC(std::string_view text, int length, char fill) {
    if (length <= 0) {
        return "";
    }
    const int n = static_cast<int>(text.size());
    if (n >= length) {
        return std::string(text.substr(0, length));
    }
    const int missing = length - n;
    const int left = missing / 2;
    return std::string(left, fill) + std::string(text) + std::string(missing - left, fill);
}

std::string AllTrim(std::string_view text) {
    size_t end = text.size();
    while (end > 0 && text[end - 1] == ' ') {
        --end;
    }
    size_t begin = 0;
    while (begin < end && isBlankOrControl(text[begin])) {
        ++begin;
    }
    return std::string(text.substr(begin, end - begin));
}

std::string LToC(bool value) {
    return value ? "T" : "F";
}

std::string SubStr(std::string_view text, int start, std::optional<int> count) {
    const int n = static_cast<int>(text.size());
    if (start == 0) {
        start = 1;
    } else if (start < 0) {
        start = n + start + 1;
        if (start < 1) {
            start = 1;
        }
    }
    if (start > n) {
        return "";
    }
    int available = n - start + 1;
    int take = count ? *count : available;
    if (take <= 0) {
        return "";
    }
    if (take > available) {
        take = available;
    }
    return std::string(text.substr(start - 1, take));
}

int At(std::string_view search, std::string_view text) {
    if (search.empty() || search.size() > text.size()) {
        return 0;
    }
    const auto pos = text.find(search);
    return pos == std::string_view::npos ? 0 : static_cast<int>(pos) + 1;
}

int Len(std::string_view text) {
    return static_cast<int>(text.size());
}

bool Empty(std::string_view text) {
    for (char c : text) {
        if (!isBlankOrControl(c)) {
            return false;
        }
    }
    return true;
}

double Int(double value) {
    if (!std::isfinite(value)) {
        return value;
    }
    return std::trunc(value * (1.0 + std::ldexp(1.0, -52)));
}

}  // namespace vm
