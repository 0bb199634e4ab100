#include "report/grouped_risers.h"

#include <cmath>

#include "report/sightline_analysis.h"

namespace vm {

namespace {

constexpr long kMostMillimetres = 100000;  // 100 m: beyond any hall

// Whether the rows first..last (0-based) meet the target on `eyes` (every row's eye height, those
// of the block set for the step being tried).
bool BlockMeets(const std::vector<double>& d, const std::vector<double>& eyes, size_t first,
                size_t last, double focal, double c, bool staggered) {
    for (size_t j = std::max<size_t>(first, 1); j <= last; ++j) {
        const size_t ahead = staggered ? 2 : 1;
        if (j < ahead) {
            continue;  // staggered: row 2 looks between the heads of row 1
        }
        const size_t f = j - ahead;
        const std::optional<double> clearance =
            CValue(d[f], eyes[f] - focal, eyes[j] - eyes[f], d[j] - d[f]);
        if (!clearance || *clearance * 1000 < c * 1000 - kCValueTolerance) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::optional<GroupedRisers> DesignGroupedRisers(const std::vector<double>& distances,
                                                 double eyeHeight1, double focalHeight,
                                                 double targetC, int blockRows, bool staggered) {
    const size_t n = distances.size();
    if (n < 2 || blockRows < 1) {
        return std::nullopt;
    }
    GroupedRisers g;
    g.blockRows = blockRows;
    g.staggered = staggered;
    std::vector<double> eyes(n, eyeHeight1);
    const auto k = static_cast<size_t>(blockRows);
    for (size_t first = 0; first < n; first += k) {
        const size_t last = std::min(n, first + k) - 1;
        const auto raise = [&](long mm) {
            for (size_t j = std::max<size_t>(first, 1); j <= last; ++j) {
                eyes[j] = eyes[j - 1] + static_cast<double>(mm) / 1000;
            }
        };
        // The least whole millimetre that meets the target: each row's clearance grows with the
        // step, so the first step that meets it is found by bisection.
        long lo = 0;
        long hi = kMostMillimetres;
        raise(hi);
        if (!BlockMeets(distances, eyes, first, last, focalHeight, targetC, staggered)) {
            return std::nullopt;
        }
        while (lo < hi) {
            const long mid = lo + (hi - lo) / 2;
            raise(mid);
            if (BlockMeets(distances, eyes, first, last, focalHeight, targetC, staggered)) {
                hi = mid;
            } else {
                lo = mid + 1;
            }
        }
        raise(lo);
        g.blocks.push_back({static_cast<int>(first) + 1, static_cast<int>(last) + 1,
                            static_cast<double>(lo) / 1000});
    }
    for (size_t j = 0; j < n; ++j) {
        g.floorRise.push_back(eyes[j] - eyeHeight1);
    }
    g.totalRise = g.floorRise.back();
    return g;
}

std::optional<GroupedRisers> BestGroupedRisers(const std::vector<double>& distances,
                                               double eyeHeight1, double focalHeight,
                                               double targetC, bool staggered) {
    std::optional<GroupedRisers> best;
    for (int k = kMinRiserBlock; k <= kMaxRiserBlock; ++k) {
        std::optional<GroupedRisers> g =
            DesignGroupedRisers(distances, eyeHeight1, focalHeight, targetC, k, staggered);
        if (g && (!best || g->totalRise <= best->totalRise + 1e-9)) {
            best = std::move(g);
        }
    }
    return best;
}

}  // namespace vm
