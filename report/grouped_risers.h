#pragma once
// Risers that can be built: the rows in blocks of k (3 to 5) that share one step per block, each
// step the smallest whole millimetre (0 or more) that gives every row of its block at least the
// target C-value over the row in front, or in staggered seating C2 over the row two ahead, the
// blocks designed from the front. Each block's least step keeps every row as low as it can be,
// so the next blocks ask no more than they must.

#include <optional>
#include <string>
#include <vector>

namespace vm {

inline constexpr int kMinRiserBlock = 3;
inline constexpr int kMaxRiserBlock = 5;

struct RiserBlock {
    int firstRow = 0;  // 1 for the row nearest the screen
    int lastRow = 0;
    double step = 0;  // metres, a whole number of millimetres: each row over the one in front
};

struct GroupedRisers {
    int blockRows = 0;
    bool staggered = false;
    std::vector<RiserBlock> blocks;
    std::vector<double> floorRise;  // every row's floor above the front row's
    double totalRise = 0;           // the last row's floor
};

// The design for blocks of `blockRows` rows: `distances` the rows' eye distances from the screen
// (at least two, all above 0), `eyeHeight1` the front row's eye height, `focalHeight` the image's
// bottom edge, `targetC` the C-value in metres. Nothing when no step up to 100 m meets the
// target (a row not deeper than the one in front).
std::optional<GroupedRisers> DesignGroupedRisers(const std::vector<double>& distances,
                                                 double eyeHeight1, double focalHeight,
                                                 double targetC, int blockRows, bool staggered);

// The best of blocks of 3, 4 and 5 rows: the least total rise, the larger block on a tie (fewer
// different steps to build).
std::optional<GroupedRisers> BestGroupedRisers(const std::vector<double>& distances,
                                               double eyeHeight1, double focalHeight,
                                               double targetC, bool staggered);

}  // namespace vm
