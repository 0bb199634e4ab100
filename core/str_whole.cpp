#include "core/str_whole.h"

#include <cmath>

#include "core/text.h"

namespace vm {

std::string StrWhole(double value, int width, int decimals) {
    std::string s = Str(value, width, decimals);
    // The largest double has 309 integer digits; with a sign, a point and the decimals that Str
    // shows, 400 positions hold every finite value.
    while (s.find('*') != std::string::npos && std::isfinite(value) && width < 400) {
        s = Str(value, ++width, decimals);
    }
    return s;
}

}  // namespace vm
