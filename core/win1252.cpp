#include "core/win1252.h"

#include <cstdint>

namespace vm {
namespace {

// Unicode code points of the bytes 0x80 to 0x9F; the undefined ones keep their own number.
constexpr char32_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

char32_t toUnicode(unsigned char b) {
    return b >= 0x80 && b < 0xA0 ? kHigh[b - 0x80] : b;
}

int toWin1252(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
        return static_cast<int>(cp);
    }
    for (int i = 0; i < 32; ++i) {
        if (kHigh[i] == cp) {
            return 0x80 + i;
        }
    }
    return -1;
}

// Calls `emit` with the Windows-1252 byte of each character of the UTF-8 text, or -1 for a
// character that Windows-1252 cannot hold and for each byte of malformed UTF-8.
template <typename Emit>
void decodeUtf8(std::string_view text, Emit emit) {
    size_t i = 0;
    while (i < text.size()) {
        const auto b = static_cast<unsigned char>(text[i]);
        char32_t cp = 0;
        int extra = 0;
        if (b < 0x80) {
            cp = b;
        } else if ((b & 0xE0) == 0xC0) {
            cp = b & 0x1F;
            extra = 1;
        } else if ((b & 0xF0) == 0xE0) {
            cp = b & 0x0F;
            extra = 2;
        } else if ((b & 0xF8) == 0xF0) {
            cp = b & 0x07;
            extra = 3;
        } else {
            emit(-1);
            ++i;
            continue;
        }
        bool valid = i + static_cast<size_t>(extra) < text.size();
        for (int k = 1; valid && k <= extra; ++k) {
            const auto cont = static_cast<unsigned char>(text[i + k]);
            if ((cont & 0xC0) != 0x80) {
                valid = false;
            } else {
                cp = (cp << 6) | (cont & 0x3F);
            }
        }
        if (!valid) {
            emit(-1);
            ++i;
            continue;
        }
        i += 1 + extra;
        emit(toWin1252(cp));
    }
}

}  // namespace

std::string win1252ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 4);
    for (char c : text) {
        const auto b = static_cast<unsigned char>(c);
        appendUtf8(out, toUnicode(b));
    }
    return out;
}

std::u16string win1252ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (char c : text) {
        out.push_back(static_cast<char16_t>(toUnicode(static_cast<unsigned char>(c))));
    }
    return out;
}

std::string utf8ToWin1252(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    decodeUtf8(text, [&out](int byte) { out.push_back(byte < 0 ? '?' : static_cast<char>(byte)); });
    return out;
}

bool fitsWin1252(std::string_view utf8) {
    bool fits = true;
    decodeUtf8(utf8, [&fits](int byte) { fits = fits && byte >= 0; });
    return fits;
}

char upperWin1252(char c) {
    const auto b = static_cast<unsigned char>(c);
    if ((b >= 'a' && b <= 'z') || (b >= 0xE0 && b <= 0xFE && b != 0xF7)) {
        return static_cast<char>(b - 0x20);
    }
    switch (b) {
        case 0x9A:  // š
        case 0x9C:  // œ
        case 0x9E:  // ž
            return static_cast<char>(b - 0x10);
        case 0xFF:  // ÿ
            return static_cast<char>(0x9F);
        default:
            return c;
    }
}

std::string upperWin1252(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = upperWin1252(c);
    }
    return out;
}

}  // namespace vm
