#include "pagefile/canvas.h"

#include "core/win1252.h"

namespace vm {

namespace {

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (upperWin1252(a[i]) != upperWin1252(b[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace

Alignment ParseAlignment(std::string_view word) {
    if (EqualsIgnoringCase(word, "CENTER")) {
        return Alignment::Center;
    }
    if (EqualsIgnoringCase(word, "RIGHT")) {
        return Alignment::Right;
    }
    return Alignment::Left;
}

std::string EffectiveFontName(std::string_view fontName) {
    return std::string(fontName.empty() ? kDefaultFontName : fontName);
}

double EffectiveFontSize(double fontSize) {
    return fontSize > 0 ? fontSize : kDefaultFontSize;
}

}  // namespace vm
