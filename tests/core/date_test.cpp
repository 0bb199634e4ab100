#include "core/date.h"

#include <gtest/gtest.h>

namespace vm {
namespace {

TEST(DToC, ProgramFormat) {
    EXPECT_EQ(DToC(Date{2026, 3, 5}), "05/03/26");
    EXPECT_EQ(DToC(Date{1999, 12, 31}), "31/12/99");
    EXPECT_EQ(DToC(Date{2000, 1, 1}), "01/01/00");
    EXPECT_EQ(DToC(Date::empty()), "  /  /  ");
}

TEST(DToC, OtherPatterns) {
    DateSettings saved = dateSettings();
    dateSettings().format = "yyyy-mm-dd";
    EXPECT_EQ(DToC(Date{2026, 3, 5}), "2026-03-05");
    EXPECT_EQ(DToC(Date::empty()), "    -  -  ");
    EXPECT_EQ(CToD("2026-03-05"), (Date{2026, 3, 5}));
    dateSettings().format = "mm/dd/yy";
    EXPECT_EQ(CToD("12/08/26"), (Date{2026, 12, 8}));
    dateSettings() = saved;
}

TEST(CToD, ExamplesAndInvalidDates) {
    const struct {
        const char* text;
        Date expected;
    } cases[] = {
        {"05/03/26", {2026, 3, 5}},        {"31/12/59", {2059, 12, 31}},
        {"01/01/60", {1960, 1, 1}},        {"29/02/23", Date::empty()},
        {"31/04/26", Date::empty()},       {"5-3-2026", {2026, 3, 5}},
        {"08/12", {2000, 12, 8}},          {"", Date::empty()},
        {"  /  /  ", Date::empty()},       {"29/02/24", {2024, 2, 29}},
        {"29/02/00", {2000, 2, 29}},       {"15/03/59", {2059, 3, 15}},
        {"15/03/60", {1960, 3, 15}},       {"31/02/26", Date::empty()},
        {"00/01/26", Date::empty()},       {"01/13/26", Date::empty()},
        {"x1/2/3", {2003, 2, 1}},          {"1/2/1900", {1900, 2, 1}},
        {"29/2/1900", Date::empty()},      {"1/1/99999", Date::empty()},
        {"01/01/26 junk 7", {2026, 1, 1}}, {"99999999999999999999/1/1", Date::empty()},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CToD(c.text), c.expected) << '"' << c.text << '"';
    }
}

TEST(CToD, RoundTripsEveryDateOfTheEpochWindow) {
    const long first = daysFromCivil(Date{1960, 1, 1});
    const long last = daysFromCivil(Date{2059, 12, 31});
    int count = 0;
    for (int y = 1960; y <= 2059; ++y) {
        for (int m = 1; m <= 12; ++m) {
            for (int d = 1; d <= 31; ++d) {
                if (!isValidDate(y, m, d)) {
                    continue;
                }
                const Date date{y, m, d};
                ASSERT_EQ(CToD(DToC(date)), date) << DToC(date);
                ++count;
            }
        }
    }
    EXPECT_EQ(count, last - first + 1);
    EXPECT_EQ(CToD(DToC(Date::empty())), Date::empty());
    // Outside the window the two-digit year comes back shifted by a century.
    EXPECT_EQ(CToD(DToC(Date{1959, 6, 1})), (Date{2059, 6, 1}));
    EXPECT_EQ(CToD(DToC(Date{2060, 6, 1})), (Date{1960, 6, 1}));
}

TEST(Today, IsAValidDate) {
    const Date t = Today();
    EXPECT_TRUE(isValidDate(t.year, t.month, t.day));
    EXPECT_GE(t.year, 2024);
}

}  // namespace
}  // namespace vm
