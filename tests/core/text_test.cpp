#include "core/text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/safe_div.h"
#include "tests/support/comma_locale.h"

namespace vm {
namespace {

struct StrCase {
    double value;
    int width;
    int decimals;
    const char* expected;
};

TEST(Str, FixedWidthRoundingSignAndOverflow) {
    const StrCase cases[] = {
        {5, 5, 2, " 5.00"},
        {0.125, 5, 2, " 0.13"},
        {-2.5, 3, 0, " -3"},
        {1234.5, 5, 0, " 1235"},
        // decimal halves whose base-2 form falls short still round up
        {2.425, 5, 2, " 2.43"},
        {2.675, 5, 2, " 2.68"},
        {1.005, 5, 2, " 1.01"},
        {8.995, 5, 2, " 9.00"},
        {1.2125, 5, 2, " 1.21"},
        {9.999, 5, 2, "10.00"},
        {0, 5, 2, " 0.00"},
        {-0.004, 5, 2, " 0.00"},
        {-0.005, 5, 2, "-0.01"},
        {-0.5, 5, 2, "-0.50"},
        {99.99, 5, 2, "99.99"},
        {99.995, 5, 2, "*****"},
        {99.999, 5, 2, "*****"},
        {100, 5, 2, "*****"},
        {-9.999, 5, 2, "*****"},
        {-9.99, 5, 2, "-9.99"},
        {139.39, 6, 2, "139.39"},
        {139.386, 5, 2, "*****"},
        {-12.345, 6, 2, "-12.35"},
        {-12.34, 5, 2, "*****"},
        {1280, 5, 0, " 1280"},
        {800, 5, 0, "  800"},
        {3, 1, 0, "3"},
        {12, 1, 0, "*"},
        {7, 3, 0, "  7"},
        {180.137, 6, 2, "180.14"},
        {90.069, 6, 2, " 90.07"},
        {0.0004, 5, 2, " 0.00"},
        {5, 0, 0, "         5"},  // width below 1 counts as 10
        {2.4249, 5, 2, " 2.42"},  // a real 4 is not a half
        // the digits are those of the exact expansion, not of the value rounded to 17 digits:
        // 7.20499999999999918... has 1 as its seventeenth digit
        {43.23 / 6, 5, 2, " 7.20"},
        {0.12499999999999992, 5, 2, " 0.12"},
        {0.125, 6, 3, " 0.125"},
        {1180591620717411303424.0, 22, 0, "1180591620717411303424"},  // 2^70, every digit
        {1e300, 5, 2, "*****"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Str(c.value, c.width, c.decimals), c.expected)
            << c.value << " width " << c.width << " decimals " << c.decimals;
    }
    EXPECT_EQ(Str(std::numeric_limits<double>::infinity(), 5, 2), "*****");
    EXPECT_EQ(Str(std::nan(""), 4), "****");
}

TEST(Str, ValueAlone) {
    EXPECT_EQ(Str(1), "         1");
    EXPECT_EQ(Str(-42), "       -42");
    EXPECT_EQ(Str(1024), "      1024");
    EXPECT_EQ(Str(1234567890), "          1234567890");
    EXPECT_EQ(Str(2.5), "         2.50");
}

TEST(StrZero, ZerosForBlanksAndSignFirst) {
    EXPECT_EQ(StrZero(7, 4), "0007");
    EXPECT_EQ(StrZero(-5, 4), "-005");
    EXPECT_EQ(StrZero(123456, 5), "*****");
    EXPECT_EQ(StrZero(3.5, 6, 2), "003.50");
    EXPECT_EQ(StrZero(512, 5), "00512");
}

TEST(Val, ReadsTheLeadingNumber) {
    const struct {
        const char* text;
        double expected;
    } cases[] = {
        {" 3.80", 3.8}, {"  7", 7},   {"12abc", 12}, {"1,5", 1}, {".5", 0.5},     {"-0.50", -0.5},
        {"1.2.3", 1.2}, {"*****", 0}, {"", 0},       {"+4", 4},  {"\t\r\n 9", 9}, {"-", 0},
        {".", 0},       {"abc1", 0},  {"- 1", 0},    {"1e5", 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Val(c.text), c.expected) << '"' << c.text << '"';
    }
}

TEST(IsNumberText, OnlyTheFormsAProjectFileHolds) {
    for (const char* yes : {"5", " 3.80", "-0.50", "+4", ".5", "5.", "  7 ", "0012"}) {
        EXPECT_TRUE(IsNumberText(yes)) << '"' << yes << '"';
    }
    for (const char* no :
         {"", " ", "3,5", "5x", "1e3", "-", ".", "1.2.3", "- 1", "*****", "0x1F", "\t5", "5 5"}) {
        EXPECT_FALSE(IsNumberText(no)) << '"' << no << '"';
    }
}

TEST(Val, BeyondTheRangeOfADouble) {
    EXPECT_EQ(Val(std::string(400, '9')), std::numeric_limits<double>::infinity());
    EXPECT_EQ(Val("-" + std::string(400, '9')), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(Val("0." + std::string(400, '0') + "1"), 0);
}

TEST(TextConversions, IgnoreACommaDecimalLocale) {
    testing::CommaLocale brazil;
    ASSERT_TRUE(brazil.active());
    const struct {
        const char* text;
        double expected;
    } vals[] = {{" 3.80", 3.8},  {"12.75", 12.75}, {"1,5", 1},
                {"-0.50", -0.5}, {"1.06", 1.06},   {"0.12499999999999992", 0.12499999999999992}};
    for (const auto& c : vals) {
        EXPECT_EQ(Val(c.text), c.expected) << '"' << c.text << '"';
    }
    EXPECT_EQ(Str(3.8, 5, 2), " 3.80");
    EXPECT_EQ(Str(2.425, 5, 2), " 2.43");
    EXPECT_EQ(Str(43.23 / 6, 5, 2), " 7.20");
    EXPECT_EQ(Str(2.5), "         2.50");
    for (int cents = -999; cents <= 9999; cents += 7) {
        ASSERT_EQ(Val(Str(cents / 100.0, 5, 2)), cents / 100.0) << cents;
    }
}

TEST(Val, ReadsBackEveryTwoDecimalLengthThatFits) {
    // Every hundredth from -9.99 to 99.99 survives Str(x, 5, 2) and Val; wider values overflow to
    // 0.
    for (int cents = -999; cents <= 9999; ++cents) {
        const double x = cents / 100.0;
        ASSERT_EQ(Val(Str(x, 5, 2)), x) << x;
    }
    for (double x : {100.0, -10.0, 123.45, 99.995}) {
        EXPECT_EQ(Val(Str(x, 5, 2)), 0) << x;
    }
}

TEST(Val, RoundsArbitraryValuesToTwoDecimals) {
    for (int i = -9990; i <= 99990; i += 7) {
        const double x = i / 1000.0 + 0.0003;
        const double shown = Val(Str(x, 5, 2));
        EXPECT_NEAR(shown, std::round(x * 100) / 100, 1e-9) << x;
    }
}

TEST(PadC, CentresCutsAndPads) {
    EXPECT_EQ(PadC("ab", 5), " ab  ");
    EXPECT_EQ(PadC("abc", 3), "abc");
    EXPECT_EQ(PadC("abcdef", 3), "abc");
    EXPECT_EQ(PadC("abc", 0), "");
    EXPECT_EQ(PadC("abc", -2), "");
    EXPECT_EQ(PadC(" x ", 9, '-'), "--- x ---");
    const std::string padded = PadC("abc", 70);
    EXPECT_EQ(padded, std::string(33, ' ') + "abc" + std::string(34, ' '));
}

TEST(AllTrim, TrailingBlanksThenLeadingWhitespace) {
    EXPECT_EQ(AllTrim(" Sala 2 "), "Sala 2");
    EXPECT_EQ(AllTrim("\t\r\nabc  "), "abc");
    EXPECT_EQ(AllTrim("abc\t"), "abc\t");  // only blanks are trailing trimmed
    EXPECT_EQ(AllTrim("   "), "");
}

TEST(SubStrAtLenEmpty, Positions) {
    EXPECT_EQ(SubStr("abcdef", 2, 3), "bcd");
    EXPECT_EQ(SubStr("abcdef", 4), "def");
    EXPECT_EQ(SubStr("abcdef", 0, 2), "ab");
    EXPECT_EQ(SubStr("abcdef", -2), "ef");
    EXPECT_EQ(SubStr("abcdef", -10, 2), "ab");
    EXPECT_EQ(SubStr("abcdef", 5, 10), "ef");
    EXPECT_EQ(SubStr("abcdef", 7), "");
    EXPECT_EQ(SubStr("abcdef", 2, 0), "");
    EXPECT_EQ(SubStr("abcdef", 2, -1), "");
    EXPECT_EQ(SubStr("Vistametra 1.05", 12, 4), "1.05");

    EXPECT_EQ(At("cd", "abcdcd"), 3);
    EXPECT_EQ(At("", "abc"), 0);
    EXPECT_EQ(At("abcd", "abc"), 0);
    EXPECT_EQ(At("C", "abc"), 0);

    EXPECT_EQ(Len("ab\xe9"), 3);
    EXPECT_TRUE(Empty(""));
    EXPECT_TRUE(Empty(" \t\r\n"));
    EXPECT_FALSE(Empty(" x "));
    EXPECT_EQ(LToC(true), "T");
    EXPECT_EQ(LToC(false), "F");
}

TEST(Int, CutsTowardZeroWithTolerance) {
    EXPECT_EQ(Int(2.7), 2);
    EXPECT_EQ(Int(-2.7), -2);
    EXPECT_EQ(Int(0.3 / 0.1), 3);
    EXPECT_EQ(Int(11.4 / 0.5), 22);
    EXPECT_EQ(Int(2.9999), 2);
}

TEST(SafeDiv, ZeroDivisorYieldsZero) {
    EXPECT_EQ(SafeDiv(10, 0), 0);
    EXPECT_EQ(SafeMod(10, 0), 0);
    EXPECT_EQ(SafeDiv(170, 10), 17);
    EXPECT_EQ(SafeMod(7, 4), 3);
}

}  // namespace
}  // namespace vm
