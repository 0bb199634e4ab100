// The places a hall keeps for people with disabilities, by hand from the decree's percentages.
#include "report/accessibility_counts.h"

#include <gtest/gtest.h>

namespace vm {
namespace {

TEST(AccessibilityCounts, ByHand) {
    const struct {
        std::int64_t seats;
        std::int64_t wheelchair;  // = reduced-mobility seats = companion seats
        std::int64_t obese;
    } cases[] = {
        {1, 1, 1},       // at least one
        {42, 1, 1},      // 2 % of 42 = 0.84 -> 1
        {50, 1, 1},      // exactly 1, not 2
        {51, 2, 1},      // 1.02 -> 2
        {1000, 20, 10},  // 2 % of 1000
        {1001, 21, 11},  // 20 + 1 % of 1 = 20.01 -> 21
        {1100, 21, 11},  // 20 + 1 exactly
        {2500, 35, 18},  // 20 + 15
        {2000, 30, 15},
    };
    for (const auto& c : cases) {
        const std::optional<AccessibilityCounts> counts = AccessibilityCountsFor(c.seats);
        ASSERT_TRUE(counts) << c.seats;
        EXPECT_EQ(counts->capacity, c.seats);
        EXPECT_EQ(counts->wheelchairSpaces, c.wheelchair) << c.seats;
        EXPECT_EQ(counts->reducedMobilitySeats, c.wheelchair) << c.seats;
        EXPECT_EQ(counts->companionSeats, c.wheelchair) << c.seats;
        EXPECT_EQ(counts->obeseSeats, c.obese) << c.seats;
    }
    EXPECT_FALSE(AccessibilityCountsFor(0));
    EXPECT_FALSE(AccessibilityCountsFor(-5));
}

}  // namespace
}  // namespace vm
