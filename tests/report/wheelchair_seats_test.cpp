// The seats that make way for the wheelchair spaces and the capacity the counts are taken from,
// by hand on the default project: 7 rows 1.0 m apart, 5 m wide, 6 seats of 0.70 m a row, seat k
// from 0.2 + 0.7 (k - 1) to 0.9 + 0.7 (k - 1) m off the left wall; a space 0.80 m across from
// 0.2 m off its wall and 1.20 m deep in front of its row's eyes.
#include "report/wheelchair_seats.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <tuple>

#include "report/accessibility_output.h"
#include "tests/report/report_test_support.h"

namespace vm {
namespace {

using test::Project;

std::vector<std::tuple<int, std::int64_t, std::int64_t>> Spans(const WheelchairPosition& w) {
    std::vector<std::tuple<int, std::int64_t, std::int64_t>> out;
    for (const SeatSpan& s : w.seatsTaken) {
        out.emplace_back(s.row, s.first, s.last);
    }
    return out;
}

using SpanList = std::vector<std::tuple<int, std::int64_t, std::int64_t>>;

// Seats left in the runs of every row plus those that made way: the row's full width.
void ExpectRowsWhole(const SightlineAnalysis& a) {
    std::int64_t counted[3] = {0, 0, 0};
    for (const SeatRowFigures& row : a.seats.rows) {
        std::int64_t seats = 0;
        for (const auto& [first, last] : row.wheelchairSeats) {
            seats += last - first + 1;
        }
        for (const SeatRun& run : row.runs) {
            seats += run.last - run.first + 1;
            counted[static_cast<int>(run.seatClass)] += run.last - run.first + 1;
        }
        EXPECT_EQ(seats, *a.seats.seatsPerRow.value) << "row " << row.row;
    }
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(counted[c], a.seats.counts[c]) << c;
    }
    EXPECT_EQ(counted[0] + counted[1] + counted[2], *a.seats.total.value);
}

TEST(WheelchairSeats, TheSpacesTakeTheSeatsUnderThem) {
    const struct {
        const char* name;
        std::function<void(DadosProjeto&)> edit;
        std::vector<WheelchairPlace> places;  // none: the hall's own
        SpanList taken;                       // by the first space
        double reach;
        std::vector<int> reached;
        std::int64_t total;  // of 42
        const char* note;    // in the space's line, or nothing
    } cases[] = {
        // Row 1's left end, the default: 0.2-1.0 m covers seat 1 and 0.1 m of seat 2. Before row
        // 1 the floor is free.
        {"default", {}, {}, {{1, 1, 2}}, 0.2, {}, 40, "; no lugar dos assentos 1-2 da fila 1"},
        // Row 2's right end: 4.0-4.8 m covers seat 6 (3.7-4.4 m) only; 0.2 m over the back of
        // row 1, whose seat 6 makes way too.
        {"row 2 right",
         {},
         {{2, AisleSide::Right, 0, 0}},
         {{2, 6, 6}, {1, 6, 6}},
         0.2,
         {1},
         40,
         "; no lugar dos assentos 6 da fila 2 e 6 da fila 1; o espaço de 1.20 m avança 0.20 m "
         "sobre a fila 1"},
        // Rows 1.20 m apart hold the space: only its own row's seats.
        {"deep rows",
         [](DadosProjeto& p) { p.nDistEntreFilas = 1.2; },
         {{2, AisleSide::Left, 0, 0}},
         {{2, 1, 2}},
         0,
         {},
         40,
         "; no lugar dos assentos 1-2 da fila 2"},
        // Rows 0.50 m apart: from row 3 the space reaches 0.70 m, over all of row 2 and the back
        // 0.20 m of row 1.
        {"shallow rows",
         [](DadosProjeto& p) { p.nDistEntreFilas = 0.5; },
         {{3, AisleSide::Left, 0, 0}},
         {{3, 1, 2}, {2, 1, 2}, {1, 1, 2}},
         0.7,
         {1, 2},
         36,
         "; no lugar dos assentos 1-2 da fila 3, 1-2 da fila 2 e 1-2 da fila 1; o espaço de "
         "1.20 m avança 0.70 m sobre as filas 1-2"},
        // A platform at row 2's height and distance takes what a space in row 2 takes; one
        // behind the last row (9.7 m) takes nothing.
        {"platform",
         {},
         {{0, AisleSide::Left, 0.2, 4.7}},
         {{2, 1, 2}, {1, 1, 2}},
         0,
         {},
         38,
         "; no lugar dos assentos 1-2 da fila 2 e 1-2 da fila 1"},
        {"platform at the back", {}, {{0, AisleSide::Left, 1.2, 11}}, {}, 0, {}, 42, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const DadosProjeto p = Project(c.edit);
        AccessibilityInputs in;
        in.wheelchairs = c.places;
        const SightlineAnalysis a = AnalyseSightlines(p, 90, false, 4, 0, in);
        ASSERT_EQ(a.wheelchairs.size(), 1u);
        const WheelchairPosition& w = a.wheelchairs[0];
        EXPECT_EQ(Spans(w), c.taken);
        EXPECT_NEAR(w.reachInFront, c.reach, 1e-9);
        EXPECT_EQ(w.rowsReached, c.reached);
        EXPECT_EQ(*a.seats.total.value, c.total);
        EXPECT_EQ(a.seats.wheelchairSeats, 42 - c.total);
        ExpectRowsWhole(a);
        // The decree's n is the capacity: the seats left and the space.
        ASSERT_TRUE(a.accessibility);
        EXPECT_EQ(a.accessibility->capacity, c.total + 1);
        const std::string line = WheelchairLine(w);
        if (*c.note) {
            EXPECT_NE(line.find(c.note), std::string::npos) << line;
            EXPECT_EQ(line.find("avança") != std::string::npos, !c.reached.empty()) << line;
        } else {
            EXPECT_EQ(line.find("no lugar"), std::string::npos) << line;
        }
    }
}

TEST(WheelchairSeats, SpacesSideBySideTakeEachSeatOnce) {
    // Two spaces at row 2's left end: 0.2-1.0 and 1.0-1.8 m, seats 1-2 and 2-3; with row 2's
    // right end, seat 6 too; and each over row 1. Seat 2 of each row is counted once.
    AccessibilityInputs in;
    in.wheelchairs = {
        {2, AisleSide::Left, 0, 0}, {2, AisleSide::Left, 0, 0}, {2, AisleSide::Right, 0, 0}};
    const SightlineAnalysis a = AnalyseSightlines(Project(), 90, false, 4, 0, in);
    EXPECT_EQ(Spans(a.wheelchairs[1]), (SpanList{{2, 2, 3}, {1, 2, 3}}));
    EXPECT_EQ(a.seats.wheelchairSeats, 2 * 4);
    using Ranges = std::vector<std::pair<std::int64_t, std::int64_t>>;
    EXPECT_EQ(a.seats.rows[1].wheelchairSeats, (Ranges{{1, 3}, {6, 6}}));
    EXPECT_EQ(a.seats.rows[0].wheelchairSeats, (Ranges{{1, 3}, {6, 6}}));
    // Row 2's seats 4 and 5 stay, in one run.
    ASSERT_EQ(a.seats.rows[1].runs.size(), 1u);
    EXPECT_EQ(a.seats.rows[1].runs[0].first, 4);
    EXPECT_EQ(a.seats.rows[1].runs[0].last, 5);
    EXPECT_EQ(a.accessibility->capacity, 42 - 8 + 3);
    ExpectRowsWhole(a);
}

TEST(WheelchairSeats, TheSeatsOutsideTheViewingAreaLoseThoseThatMadeWay) {
    // A 20 m room: 28 seats a row, 196 seats ask 4 spaces, two at each end of row 1: seats 1-3
    // (0.2-1.8 m) and 26-28 (18.2-19.8 m). Row 1 (3.7 m) sees within 3.7 tan 60° - 1.5 = 4.91 m
    // of the axis, so all six lay outside. Counted seat by seat over the seats left,
    // independently of the analysis's own count.
    const DadosProjeto p = Project([](DadosProjeto& q) { q.nLargura = 20; });
    const SightlineAnalysis a = AnalyseSightlines(p);
    ASSERT_EQ(a.seats.rows[0].wheelchairSeats,
              (std::vector<std::pair<std::int64_t, std::int64_t>>{{1, 3}, {26, 28}}));
    EXPECT_EQ(a.accessibility->capacity, 196 - 6 + 4);
    std::int64_t outside = 0;
    for (const SeatRowFigures& row : a.seats.rows) {
        const double half = a.rows[row.row - 1].eyeDistance * std::sqrt(3.0) - 1.5 + 1e-9;
        for (const SeatRun& run : row.runs) {
            for (std::int64_t k = run.first; k <= run.last; ++k) {
                const double x = 0.2 + 0.7 * static_cast<double>(k - 1) + 0.35 - 10;
                outside += std::abs(x) > half;
            }
        }
    }
    EXPECT_GT(outside, 0);
    EXPECT_EQ(*a.discas.seatsOutsideArea.value, outside);
    ExpectRowsWhole(a);
}

TEST(WheelchairSeats, TheHallGetsTheFewestSpacesItsCapacityAsks) {
    const struct {
        const char* name;
        std::function<void(DadosProjeto&)> edit;
        std::int64_t grid, spaces, taken;
    } cases[] = {
        // 40 rows of 50 seats of 0.50 m: 2000 seats ask 30 spaces; in row 1, 15 at each end over
        // 12 m each, seats 1-24 and 27-50: 1952 seats + 30 spaces = 1982, which asks 30 too.
        {"2000 seats",
         [](DadosProjeto& p) {
             p.nComprimento = 60;
             p.nLargura = 25.4;
             p.nNumeroFilas = 40;
             p.nLarguraAssento = 0.5;
         },
         2000, 30, 48},
        // 7 rows of 143: 1001 seats ask 21, but 20 spaces (seats 1-16 and 128-143 of row 1)
        // leave 969 + 20 = 989, which asks 2 % = 19.78 -> 20; 19 would leave 989 too, asking 20.
        {"1001 seats",
         [](DadosProjeto& p) {
             p.nLargura = 71.9;
             p.nLarguraAssento = 0.5;
         },
         1001, 20, 32},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const SightlineAnalysis a = AnalyseSightlines(Project(c.edit));
        EXPECT_EQ(*a.seats.seatsPerRow.value * a.rows.size(), c.grid);
        EXPECT_EQ(static_cast<std::int64_t>(a.wheelchairs.size()), c.spaces);
        EXPECT_EQ(a.seats.wheelchairSeats, c.taken);
        ASSERT_TRUE(a.accessibility);
        EXPECT_EQ(a.accessibility->capacity, c.grid - c.taken + c.spaces);
        EXPECT_EQ(a.accessibility->wheelchairSpaces, c.spaces);
        ExpectRowsWhole(a);
    }
}

// A hall far deeper than its first row is wide: 200 rows of 6 seats. The 5 m first row holds 5
// spaces, which take its 6 seats: 1194 seats + 5 spaces = 1199, which asks 20 + 1 % of 199 -> 22.
// The analysis says that 17 have no place.
TEST(WheelchairSeats, AFirstRowTooNarrowLeavesSpacesMissing) {
    const SightlineAnalysis deep = AnalyseSightlines(Project([](DadosProjeto& p) {
        p.nComprimento = 250;
        p.nNumeroFilas = 200;
    }));
    ASSERT_TRUE(deep.accessibility);
    EXPECT_EQ(deep.wheelchairs.size(), 5u);
    EXPECT_EQ(deep.seats.wheelchairSeats, 6);
    EXPECT_EQ(deep.accessibility->capacity, 1199);
    EXPECT_EQ(deep.accessibility->wheelchairSpaces, 22);
    EXPECT_EQ(SpacesMissing(deep), 17);
    EXPECT_EQ(MissingSpacesLine(deep),
              "AVISO: o plano tem 5 dos 22 espaços para cadeira de rodas que a lotação exige; "
              "indique lugares para os 17 que faltam");
    EXPECT_NE(AccessibilityPlacesTable(deep).find(MissingSpacesLine(deep)), std::string::npos);

    const SightlineAnalysis room = AnalyseSightlines(Project());
    EXPECT_EQ(SpacesMissing(room), 0);
    EXPECT_EQ(MissingSpacesLine(room), "");
}

}  // namespace
}  // namespace vm
