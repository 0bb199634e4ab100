// Numbers printed whole: Str where the value fits, the smallest wider field where it does not.

#include "core/str_whole.h"

#include <gtest/gtest.h>

#include <limits>

namespace vm {
namespace {

TEST(StrWhole, FittingValuesAsStrWidensOnlyWhatDoesNotFit) {
    struct Case {
        double value;
        int width, decimals;
        const char* expected;
    };
    const double inf = std::numeric_limits<double>::infinity();
    const Case cases[] = {
        {3.8, 4, 2, "3.80"},     // fits: Str's own text
        {9.99, 4, 2, "9.99"},    // the widest that fits
        {9.995, 4, 2, "10.00"},  // rounds up past the field
        {10, 4, 2, "10.00"},
        {139.39, 5, 2, "139.39"},
        {-10.71, 5, 2, "-10.71"},  // the sign needs a place too
        {-9.99, 5, 2, "-9.99"},
        {7, 2, 0, " 7"},
        {100, 2, 0, "100"},
        {173.9, 2, 0, "174"},
        {1e12, 5, 0, "1000000000000"},
        {inf, 4, 2, "****"},  // nothing whole to print
    };
    for (const Case& c : cases) {
        EXPECT_EQ(StrWhole(c.value, c.width, c.decimals), c.expected)
            << c.value << " in (" << c.width << ", " << c.decimals << ")";
    }
}

}  // namespace
}  // namespace vm
