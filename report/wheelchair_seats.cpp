#include "report/wheelchair_seats.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "core/dados_projeto.h"
#include "report/sightline_geometry.h"

namespace vm {

namespace {

const char* const kNoSeats = "nenhum assento cabe na largura da sala";

// An overlap of less than this (metres) is the sums' binary error, not a seat in the way.
constexpr double kOverlap = 1e-6;

bool Overlaps(double lo1, double hi1, double lo2, double hi2) {
    return std::min(hi1, hi2) - std::max(lo1, lo2) > kOverlap;
}

// The seats of one row whose width overlaps [from, to] across the room, as 0-based indices;
// first > last when none.
std::pair<std::int64_t, std::int64_t> SeatsAcross(const DadosProjeto& p, double from, double to,
                                                  std::int64_t seatsPerRow) {
    const double width = p.nLarguraAssento;
    const double start = SeatOffset(p, 0);
    if (!(width > 0) || seatsPerRow < 1) {
        return {0, -1};
    }
    const auto overlaps = [&](double k) {
        return Overlaps(SeatOffset(p, k), SeatOffset(p, k) + width, from, to);
    };
    // The seats' places rise with k: the first and the last that overlap, worked out and then
    // moved by a seat where the division's rounding put them beside the exact limit.
    const auto last = static_cast<double>(seatsPerRow - 1);
    double lo = std::clamp(std::floor((from - start) / width), 0.0, last);
    double hi = std::clamp(std::ceil((to - start) / width) - 1, 0.0, last);
    while (lo > 0 && overlaps(lo - 1)) {
        --lo;
    }
    while (lo <= hi && !overlaps(lo)) {
        ++lo;
    }
    while (hi < last && overlaps(hi + 1)) {
        ++hi;
    }
    while (hi >= lo && !overlaps(hi)) {
        --hi;
    }
    if (lo > hi) {
        return {0, -1};
    }
    return {static_cast<std::int64_t>(lo), static_cast<std::int64_t>(hi)};
}

// How many of seats first to last (numbered from 1) of row nFilaX lie outside DISCAS's viewing
// area, as the analysis counts them: a seat's centre more than ViewingAreaHalfWidth off the
// screen's axis is outside.
std::int64_t OutsideViewingArea(const DadosProjeto& p, double nFilaX, std::int64_t seatsPerRow,
                                std::int64_t first, std::int64_t last) {
    const std::int64_t seats = last - first + 1;
    const double half = ViewingAreaHalfWidth(RowEyeDistance(p, nFilaX), p.nTelaLargura) + 1e-9;
    if (half < 0) {
        return seats;
    }
    const double width = p.nLarguraAssento;
    const double centre = SeatOffset(p, 0) + width / 2 - p.nLargura / 2;
    const auto clamp = [seatsPerRow](double k) {
        return static_cast<std::int64_t>(std::clamp(k, 0.0, static_cast<double>(seatsPerRow)));
    };
    // Inside: the 0-based seats from `from` up to (not including) `upTo`.
    const std::int64_t upTo = clamp(std::floor((half - centre) / width) + 1);
    const std::int64_t from = clamp(std::ceil((-half - centre) / width));
    const std::int64_t inside =
        std::max<std::int64_t>(0, std::min(last, upTo) - std::max(first - 1, from));
    return seats - inside;
}

// Takes seats first to last (numbered from 1) out of a row's runs and their classes' counts.
void TakeOut(SeatRowFigures& row, std::int64_t first, std::int64_t last,
             std::int64_t (&counts)[3]) {
    std::vector<SeatRun> runs;
    for (const SeatRun& run : row.runs) {
        const std::int64_t lo = std::max(first, run.first);
        const std::int64_t hi = std::min(last, run.last);
        if (lo > hi) {
            runs.push_back(run);
            continue;
        }
        counts[static_cast<int>(run.seatClass)] -= hi - lo + 1;
        if (run.first < lo) {
            runs.push_back({run.seatClass, run.first, lo - 1});
        }
        if (hi < run.last) {
            runs.push_back({run.seatClass, hi + 1, run.last});
        }
    }
    row.runs = std::move(runs);
}

// Each row's seats under any of the spaces as ranges in seat order, each seat once.
std::map<int, std::vector<SeatSpan>> SeatsUnderSpaces(const std::vector<WheelchairPosition>& ws) {
    std::map<int, std::vector<SeatSpan>> spans;
    for (const WheelchairPosition& w : ws) {
        for (const SeatSpan& span : w.seatsTaken) {
            spans[span.row].push_back(span);
        }
    }
    for (auto& [row, list] : spans) {
        std::sort(list.begin(), list.end(),
                  [](const SeatSpan& a, const SeatSpan& b) { return a.first < b.first; });
        std::vector<SeatSpan> merged;
        for (const SeatSpan& span : list) {
            if (!merged.empty() && span.first <= merged.back().last + 1) {
                merged.back().last = std::max(merged.back().last, span.last);
            } else {
                merged.push_back(span);
            }
        }
        list = std::move(merged);
    }
    return spans;
}

// Sets each space's seats taken and its reach in front of its row.
void MarkSeats(const DadosProjeto& p, const SightlineAnalysis& a,
               std::vector<WheelchairPosition>& ws) {
    const bool seats = a.seats.seatsPerRow.value && a.seats.total.value;
    const auto perRow = seats ? static_cast<std::int64_t>(*a.seats.seatsPerRow.value) : 0;
    const int rows = static_cast<int>(a.rows.size());
    for (WheelchairPosition& w : ws) {
        w.seatsTaken = SeatsUnderSpace(p, w, perRow, rows);
        w.reachInFront = 0;
        w.rowsReached.clear();
        if (!w.reason.empty() || w.place.row == 0) {
            continue;
        }
        const double reach = kWheelchairSpaceDepth - std::abs(p.nDistEntreFilas);
        if (reach > kOverlap) {
            w.reachInFront = reach;
            for (const SeatSpan& span : w.seatsTaken) {
                if (span.row != w.place.row) {
                    w.rowsReached.push_back(span.row);
                }
            }
            std::sort(w.rowsReached.begin(), w.rowsReached.end());
        }
    }
}

std::int64_t PlacesTaken(const std::vector<WheelchairPosition>& ws) {
    return std::count_if(ws.begin(), ws.end(),
                         [](const WheelchairPosition& w) { return w.reason.empty(); });
}

std::int64_t SeatCount(const std::map<int, std::vector<SeatSpan>>& taken) {
    std::int64_t n = 0;
    for (const auto& [row, spans] : taken) {
        for (const SeatSpan& span : spans) {
            n += span.last - span.first + 1;
        }
    }
    return n;
}

}  // namespace

std::vector<SeatSpan> SeatsUnderSpace(const DadosProjeto& p, const WheelchairPosition& w,
                                      std::int64_t seatsPerRow, int rows) {
    std::vector<SeatSpan> out;
    if (!w.reason.empty() || seatsPerRow < 1) {
        return out;
    }
    const auto [first, last] =
        SeatsAcross(p, w.nearWall, w.nearWall + kWheelchairSpaceWidth, seatsPerRow);
    if (first > last) {
        return out;
    }
    const double back = w.distance;
    const double front = w.distance - kWheelchairSpaceDepth;
    // Its own row first, then the rows in front from the nearest.
    for (int k = rows; k >= 1; --k) {
        const double nFilaX = k - 1;
        const bool own = k == w.place.row;
        const double a = RowFrontDistance(p, nFilaX);
        const double b = RowEyeDistance(p, nFilaX);
        if (own || Overlaps(std::min(a, b), std::max(a, b), front, back)) {
            const SeatSpan span{k, first + 1, last + 1};
            if (own) {
                out.insert(out.begin(), span);
            } else {
                out.push_back(span);
            }
        }
    }
    return out;
}

void PlaceWheelchairSpaces(const DadosProjeto& p, const AccessibilityInputs& inputs,
                           SightlineAnalysis& a) {
    SeatFigures& s = a.seats;
    const auto place = [&](std::int64_t spaces) {
        std::vector<WheelchairPosition> ws =
            PlaceWheelchairs(p, inputs.wheelchairs, spaces, inputs.spacesRow, inputs.spacesSide);
        for (WheelchairPosition& w : ws) {
            w.rowBehindOk = RowBehindKeepsTarget(w, a.risers.targetCmm);
        }
        MarkSeats(p, a, ws);
        return ws;
    };
    if (!s.total.value || *s.total.value < 1) {
        a.accessibilityReason = s.total.value ? kNoSeats : s.total.reason;
        a.wheelchairs = place(1);
        return;
    }
    const auto grid = static_cast<std::int64_t>(*s.total.value);
    const auto capacityWith = [grid](const std::vector<WheelchairPosition>& ws) {
        return grid - SeatCount(SeatsUnderSpaces(ws)) + PlacesTaken(ws);
    };
    if (!inputs.wheelchairs.empty()) {
        a.wheelchairs = place(0);
    } else {
        // The fewest spaces that the capacity they leave asks for: the grid's count is the most
        // (a space takes at least the place of one seat), and the places stop where the row
        // holds no more.
        const std::int64_t most = AccessibilityCountsFor(grid)->wheelchairSpaces;
        for (std::int64_t spaces = 1;; ++spaces) {
            a.wheelchairs = place(spaces);
            const std::int64_t placed = PlacesTaken(a.wheelchairs);
            const std::int64_t needed =
                AccessibilityCountsFor(std::max<std::int64_t>(1, capacityWith(a.wheelchairs)))
                    ->wheelchairSpaces;
            if (placed >= needed || spaces >= most ||
                static_cast<std::int64_t>(a.wheelchairs.size()) < spaces) {
                break;
            }
        }
    }

    const std::map<int, std::vector<SeatSpan>> taken = SeatsUnderSpaces(a.wheelchairs);
    s.wheelchairSeats = SeatCount(taken);
    s.total = Figure::Of(static_cast<double>(grid - s.wheelchairSeats));
    const auto perRow = static_cast<std::int64_t>(*s.seatsPerRow.value);
    for (const auto& [row, spans] : taken) {
        for (const SeatSpan& span : spans) {
            if (static_cast<size_t>(row) <= s.rows.size()) {
                SeatRowFigures& figures = s.rows[static_cast<size_t>(row) - 1];
                TakeOut(figures, span.first, span.last, s.counts);
                figures.wheelchairSeats.push_back({span.first, span.last});
            }
            if (a.discas.seatsOutsideArea.value) {
                *a.discas.seatsOutsideArea.value -= static_cast<double>(
                    OutsideViewingArea(p, row - 1, perRow, span.first, span.last));
            }
        }
    }
    if (s.shares[0].value) {
        for (int c = 0; c < 3; ++c) {
            s.shares[c] = *s.total.value > 0
                              ? Figure::Of(static_cast<double>(s.counts[c]) / *s.total.value * 100)
                              : Figure::None(kNoSeats);
        }
    }
    const std::int64_t capacity = capacityWith(a.wheelchairs);
    if (!(a.accessibility = AccessibilityCountsFor(capacity))) {
        a.accessibilityReason = kNoSeats;
    }
}

}  // namespace vm
