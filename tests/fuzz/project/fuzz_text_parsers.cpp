// Val, CToD and the Str/Val round trip on any bytes.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/date.h"
#include "core/text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const double v = vm::Val(text);
    const vm::Date d = vm::CToD(text);
    if (!d.isEmpty() && !vm::isValidDate(d.year, d.month, d.day)) {
        std::abort();
    }
    if (!d.isEmpty() && d.year >= 1960 && d.year <= 2059 && vm::CToD(vm::DToC(d)) != d) {
        std::abort();
    }
    // A value shown in a width that holds it reads back within half a unit of the last digit.
    const std::string shown = vm::Str(v, 12, 2);
    if (shown.find('*') == std::string::npos && std::isfinite(v) &&
        std::fabs(vm::Val(shown) - v) > 0.005 + std::fabs(v) * 1e-15) {
        std::abort();
    }
    vm::PadC(text, static_cast<int>(size % 97), '-');
    vm::AllTrim(text);
    // A start taken from the value, which may be far beyond any int (or not a number at all).
    const int start = std::isfinite(v) ? static_cast<int>(std::fmod(v, 50.0)) : 0;
    vm::SubStr(text, start, static_cast<int>(size % 7) - 2);
    return 0;
}
