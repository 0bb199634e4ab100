#include "report/accessibility_counts.h"

#include <algorithm>

namespace vm {

namespace {

// ceil(seats x percent / 100) in whole numbers: 2 % of 50 seats is exactly 1.
std::int64_t PercentUp(std::int64_t seats, std::int64_t percent) {
    return (seats * percent + 99) / 100;
}

// Wheelchair spaces, and as many seats for reduced mobility.
std::int64_t Reserved(std::int64_t seats) {
    if (seats <= 1000) {
        return std::max<std::int64_t>(1, PercentUp(seats, 2));
    }
    return 20 + PercentUp(seats - 1000, 1);
}

}  // namespace

std::optional<AccessibilityCounts> AccessibilityCountsFor(std::int64_t capacity) {
    if (capacity < 1) {
        return std::nullopt;
    }
    AccessibilityCounts c;
    c.capacity = capacity;
    c.wheelchairSpaces = Reserved(capacity);
    c.reducedMobilitySeats = Reserved(capacity);
    c.obeseSeats = (c.reducedMobilitySeats + 1) / 2;
    c.companionSeats = c.wheelchairSpaces;
    return c;
}

}  // namespace vm
