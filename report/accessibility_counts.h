#pragma once
// How many places a hall of n seats keeps for people with disabilities (Decreto 5.296/2004,
// art. 23, as Decreto 9.404/2018 words it): up to 1000 seats, 2 % wheelchair spaces (at least
// one) and 2 % seats for people with reduced mobility (at least one); above 1000, 20 of each plus
// 1 % of the seats beyond 1000; a fraction goes up to the next whole place. Half of the seats for
// reduced mobility suit obese people, and each wheelchair space has a companion seat beside it.
// The decree reserves these places in the hall's capacity ("lotação"): n counts every place a
// person takes, the seats and the wheelchair spaces alike.

#include <cstdint>
#include <optional>

namespace vm {

struct AccessibilityCounts {
    std::int64_t capacity = 0;  // n: seats and wheelchair spaces
    std::int64_t wheelchairSpaces = 0;
    std::int64_t reducedMobilitySeats = 0;
    std::int64_t obeseSeats = 0;      // among the reduced-mobility seats
    std::int64_t companionSeats = 0;  // one beside each wheelchair space
};

// The counts for a capacity of `capacity` places; nothing when there are none.
std::optional<AccessibilityCounts> AccessibilityCountsFor(std::int64_t capacity);

}  // namespace vm
