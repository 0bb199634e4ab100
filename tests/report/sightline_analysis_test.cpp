// The sightline analysis against the published DISCAS examples, rooms worked out by hand, the
// report's plan as drawn, and the inputs that leave a figure without meaning.
#include "report/sightline_analysis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <numbers>
#include <string>
#include <vector>

#include "core/dados_projeto.h"
#include "pagefile/recording_canvas.h"
#include "report/report_drawings.h"
#include "report/sightline_geometry.h"
#include "tests/report/report_test_support.h"

namespace vm {
namespace {

using test::Project;

// A figure's value, failing the test when it has none.
double ValueOf(const Figure& f) {
    EXPECT_TRUE(f.value.has_value()) << "no value: " << f.reason;
    return f.value.value_or(NAN);
}

// The analysis with the hall's wheelchair space on a platform behind every row, where it takes no
// seat: the seats' grid whole.
SightlineAnalysis WholeGrid(const DadosProjeto& p) {
    const double rows = std::max(1.0, std::ceil(p.nNumeroFilas));
    const double behind = std::max(RowEyeDistance(p, 0), RowEyeDistance(p, rows - 1)) +
                          std::abs(p.nDistEntreFilas) + kWheelchairSpaceDepth;
    AccessibilityInputs in;
    in.wheelchairs = {{0, AisleSide::Left, 0, behind}};
    return AnalyseSightlines(p, kDefaultTargetCmm, false, kDefaultElementPercent, 0, in);
}

// The class of every seat of a row, seat 1 first, from the analysis' runs.
std::vector<SeatClass> Expand(const SeatRowFigures& row) {
    std::vector<SeatClass> seats;
    for (const SeatRun& run : row.runs) {
        EXPECT_LE(run.first, run.last);
        EXPECT_EQ(run.first, static_cast<std::int64_t>(seats.size()) + 1);
        seats.insert(seats.end(), static_cast<size_t>(run.last - run.first + 1), run.seatClass);
    }
    return seats;
}

TEST(SightlineAnalysis, PublishedDiscasExamples) {
    // The three examples of the published material, in millimetres.
    EXPECT_DOUBLE_EQ(PercentElementHeight(10500, 1500).value(), 3.5);
    EXPECT_NEAR(AnalyticalFarthestViewer(1500, 1080).value(), 4775, 0.5);
    EXPECT_NEAR(ClosestViewer(1500, 1400 - 1200), 2944, 0.5);

    // The same through a project in metres: a 1.5 m image whose bottom edge is 1.4 m above the
    // floor (top 2.9 m), 1080 lines, eyes at 1.2 m, and the last of 8 rows at 10.5 m.
    const DadosProjeto p = Project([](DadosProjeto& p) {
        p.nTelaTopo = 2.9;
        p.nTelaAltura = 1.5;
        p.nImagemAltura = 1080;
        p.nAlturaOlhos1 = 1.2;
        p.nDistOlhos1 = 3.5;
        p.nDistEntreFilas = 1;
        p.nNumeroFilas = 8;
    });
    const DiscasFigures d = AnalyseSightlines(p).discas;
    EXPECT_DOUBLE_EQ(ValueOf(d.farthestViewer), 3.5 + 7 * 1.0);
    // The basic method reads from the farthest seat to the image's far edge: row 8's outermost
    // seat, 1.95 m off the axis, before a 3.0 m image: sqrt(10.5^2 + 3.45^2) = 11.052 m.
    const double farEdge = std::hypot(10.5, 3.45);
    EXPECT_NEAR(ValueOf(d.percentElementHeight), farEdge / (1.5 * 200) * 100, 1e-12);
    EXPECT_NEAR(ValueOf(d.elementHeightMm), farEdge / 200 * 1000, 1e-9);
    EXPECT_NEAR(ValueOf(d.analyticalFarthest), 4.775, 0.0005);
    EXPECT_NEAR(d.imageOffset, 0.2, 1e-12);
    EXPECT_NEAR(ValueOf(d.closestViewer), 2.944, 0.0005);
    // Rows 3 to 8 (eyes at 5.5 m to 10.5 m) lie beyond 4.775 m; the first row at 3.5 m is
    // farther than 2.944 m.
    EXPECT_EQ(d.rowsBeyondAnalytical, (std::vector<int>{3, 4, 5, 6, 7, 8}));
    EXPECT_DOUBLE_EQ(ValueOf(d.firstRowDistance), 3.5);
    EXPECT_EQ(d.firstRowFarEnough, true);
}

// DISCAS over the plan's seats, against hand computations and a seat-by-seat count.
TEST(SightlineAnalysis, DiscasOverTheSeats) {
    struct Case {
        const char* name;
        void (*edit)(DadosProjeto&);
        double farthestEdge;  // sqrt(D_n^2 + (|x_outermost| + W/2)^2), by hand
        double apex;          // W / (2 tan 60°)
    };
    const Case cases[] = {
        // Six seats from 0.2 m: the outermost centre 0.55 m from the lower wall, x = -1.95 m.
        {"default", [](DadosProjeto&) {}, std::sqrt(9.7 * 9.7 + 3.45 * 3.45), 1.5 / std::sqrt(3.0)},
        // 56 seats: the first centre at x = 0.55 - 20 = -19.45 m.
        {"wide 40 m", [](DadosProjeto& p) { p.nLargura = 40; },
         std::sqrt(9.7 * 9.7 + 20.95 * 20.95), 1.5 / std::sqrt(3.0)},
        // A flat 20 x 14 m hall, 15 rows 1 m apart from 3.7 m, a 6 m screen: 19 seats of 0.7 m
        // from the wall (0 step: no clearance), the first centre at x = 0.35 - 7 = -6.65 m.
        {"hall 20 x 14",
         [](DadosProjeto& p) {
             p.nComprimento = 20;
             p.nLargura = 14;
             p.nNumeroFilas = 15;
             p.nAlturaFila2 = 0;
             p.nTelaLargura = 6;
             p.nTelaAltura = 3.375;
         },
         std::sqrt(17.7 * 17.7 + 9.65 * 9.65), 3 / std::sqrt(3.0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const DadosProjeto p = Project(c.edit);
        const SightlineAnalysis a = AnalyseSightlines(p);
        const DiscasFigures& d = a.discas;
        ASSERT_TRUE(d.farthestViewerEdge.value) << d.farthestViewerEdge.reason;
        EXPECT_NEAR(*d.farthestViewerEdge.value, c.farthestEdge, 1e-9);
        EXPECT_NEAR(*d.bdmImageHeight.value, c.farthestEdge / 8, 1e-9);  // EH 4 %
        EXPECT_NEAR(*d.elementHeightMm.value, c.farthestEdge / 200 * 1000, 1e-9);
        EXPECT_EQ(*d.bdmMet, p.nTelaAltura >= c.farthestEdge / 8);
        EXPECT_NEAR(*d.viewingAreaApex.value, c.apex, 1e-9);
        // Seat by seat: outside when |x| > D tan 60° - W/2.
        const auto perRow = static_cast<int>(*a.seats.seatsPerRow.value);
        std::int64_t outside = 0;
        for (const RowFigures& r : a.rows) {
            for (int k = 0; k < perRow; ++k) {
                // The seats under the hall's wheelchair spaces are no longer seats.
                bool madeWay = false;
                for (const auto& [first, last] : a.seats.rows[r.number - 1].wheelchairSeats) {
                    madeWay = madeWay || (k + 1 >= first && k + 1 <= last);
                }
                if (madeWay) {
                    continue;
                }
                const double x = p.nAlturaFila2 + 0.7 * k + 0.35 - p.nLargura / 2;
                outside += std::abs(x) > r.eyeDistance * std::sqrt(3.0) - p.nTelaLargura / 2 + 1e-9;
            }
        }
        EXPECT_EQ(*d.seatsOutsideArea.value, outside);
        if (std::string(c.name) != "default") {
            EXPECT_GT(outside, 0);
        }
    }
    // A smaller element needs a larger image: 2 % asks FV_edge / 4 = 2.57 m, more than 1.88 m.
    const SightlineAnalysis two = AnalyseSightlines(Project(), kDefaultTargetCmm, false, 2);
    EXPECT_NEAR(*two.discas.bdmImageHeight.value, std::sqrt(9.7 * 9.7 + 3.45 * 3.45) / 4, 1e-9);
    EXPECT_FALSE(*two.discas.bdmMet);
    EXPECT_EQ(ElementPercentFromText("2,5"), 2.5);
    EXPECT_FALSE(ElementPercentFromText("0"));
    EXPECT_FALSE(ElementPercentFromText("101"));

    // The area's outline: from the apex to each side wall, along the walls to the back wall.
    const auto polygon = ViewingAreaPolygon(3, 5, 10);
    ASSERT_EQ(polygon.size(), 6u);
    EXPECT_NEAR(polygon[1].first, 4 / std::sqrt(3.0), 1e-12);
    EXPECT_EQ(polygon[1].second, 2.5);
    EXPECT_EQ(polygon.front(), polygon.back());
    // In a deep narrow room the edges reach the back wall first; a room too short holds none.
    EXPECT_EQ(ViewingAreaPolygon(3, 40, 10).size(), 4u);
    EXPECT_TRUE(ViewingAreaPolygon(30, 5, 5).empty());
}

TEST(SightlineAnalysis, ClosestViewerAgreesWithTheReportsThirtyDegreeRule) {
    // The closest viewer is where the screen's top is seen 30 degrees up (1.732 = tan 60); the
    // default room's first row, whose angle the report calls SUPERIOR to 30, is too close.
    for (double distance : {3.7, 4.0, 4.2, 6.0}) {
        const SightlineAnalysis a =
            AnalyseSightlines(Project([&](DadosProjeto& p) { p.nDistOlhos1 = distance; }));
        const double angle = ValueOf(a.rows.front().angleToTop);
        EXPECT_DOUBLE_EQ(angle, ViewingAngle(3.6, 1.2, distance)) << distance;
        EXPECT_EQ(a.discas.firstRowFarEnough, angle <= 30) << distance;
    }
}

TEST(SightlineAnalysis, FlatFloorGivesNegativeCValues) {
    // No risers, eyes 1.2 m high, image bottom at 2.0 - 1.5 = 0.5 m: each row's sight line to the
    // image bottom passes R x T / (D + T) below the eyes in front, R = 0.7 m, T = 1 m.
    const SightlineAnalysis a = AnalyseSightlines(Project([](DadosProjeto& p) {
        p.nAlturaFila2 = 0;
        p.nTelaTopo = 2.0;
        p.nTelaAltura = 1.5;
    }));
    ASSERT_EQ(a.rows.size(), 7u);
    EXPECT_FALSE(a.rows[0].cValueMm.value);
    EXPECT_EQ(a.rows[0].cValueMm.reason, "primeira fila: não há fila à frente");
    EXPECT_FALSE(a.rows[0].grade);
    for (int k = 1; k < 7; ++k) {
        const double D = 3.7 + (k - 1);
        EXPECT_NEAR(ValueOf(a.rows[k].cValueMm), -0.7 * 1.0 / (D + 1.0) * 1000, 1e-9) << k;
        EXPECT_EQ(a.rows[k].grade, CGrade::Ruim);
        EXPECT_DOUBLE_EQ(a.rows[k].eyeHeight, 1.2);
        // Down to the image bottom: atan(0.7 / distance).
        EXPECT_NEAR(ValueOf(a.rows[k].angleToBottom),
                    -std::atan(0.7 / (D + 1)) * 180 / std::numbers::pi, 1e-6);
    }
}

TEST(SightlineAnalysis, SteepRisersMakeEveryRowExcellent) {
    // 0.5 m risers, 1 m rows, image bottom at 3.6 - 2.6 = 1.0 m, eyes of row k at 1.2 + 0.5k:
    // C = (D x N - R x T) / (D + T) with the front row's D = 3.7 + k - 1 and R = 0.2 + 0.5(k - 1),
    // from 351 mm over row 1 down to 170 mm over row 6.
    const SightlineAnalysis a = AnalyseSightlines(Project([](DadosProjeto& p) {
        p.nAlturaFila2 = 0.5;
        p.nTelaAltura = 2.6;
        p.nPeDireito = 6;
    }));
    ASSERT_EQ(a.rows.size(), 7u);
    for (int k = 1; k < 7; ++k) {
        const double D = 3.7 + (k - 1);
        const double R = 0.2 + 0.5 * (k - 1);
        EXPECT_NEAR(ValueOf(a.rows[k].cValueMm), (D * 0.5 - R * 1.0) / (D + 1.0) * 1000, 1e-9) << k;
        EXPECT_EQ(a.rows[k].grade, CGrade::Excelente) << k;
    }
    EXPECT_NEAR(ValueOf(a.rows[1].cValueMm), (3.7 * 0.5 - 0.2) / 4.7 * 1000, 1e-9);
    EXPECT_NEAR(ValueOf(a.rows[6].cValueMm), (8.7 * 0.5 - 2.7) / 9.7 * 1000, 1e-9);
}

TEST(SightlineAnalysis, CValueIsTheClearanceOverTheEyesInFront) {
    // Independently of the formula: the sight line from the image bottom to a row's eyes, at the
    // distance of the eyes in front, passes C above them.
    for (double riser : {0.0, 0.12, 0.3, 0.45}) {
        for (double depth : {0.8, 1.1}) {
            const DadosProjeto p = Project([&](DadosProjeto& p) {
                p.nAlturaFila2 = riser;
                p.nDistEntreFilas = depth;
                p.nNumeroFilas = 5;
            });
            const SightlineAnalysis a = AnalyseSightlines(p);
            const double bottom = p.nTelaTopo - p.nTelaAltura;
            for (size_t k = 1; k < a.rows.size(); ++k) {
                const RowFigures& front = a.rows[k - 1];
                const RowFigures& back = a.rows[k];
                const double lineAtFront =
                    bottom + (back.eyeHeight - bottom) * front.eyeDistance / back.eyeDistance;
                EXPECT_NEAR(ValueOf(back.cValueMm), (lineAtFront - front.eyeHeight) * 1000, 1e-9)
                    << riser << " " << depth << " row " << back.number;
            }
        }
    }
}

TEST(SightlineAnalysis, GradesOfCValues) {
    const struct {
        double c;
        CGrade grade;
    } cases[] = {
        {300, CGrade::Excelente},
        {120, CGrade::Excelente},
        {119.999, CGrade::Bom},
        {80, CGrade::Bom},
        {79.999, CGrade::Aceitavel},
        {60, CGrade::Aceitavel},
        {59.999, CGrade::Ruim},
        {0, CGrade::Ruim},
        {-150, CGrade::Ruim},
        // Sums of decimals land a hair under a bound: they still reach it.
        {79.99999999999996, CGrade::Bom},
        {119.99999999999997, CGrade::Excelente},
        {59.99999999999999, CGrade::Aceitavel},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(GradeOfCValue(c.c), c.grade) << c.c;
    }
    EXPECT_STREQ(CGradeName(CGrade::Aceitavel), "aceitável");
    EXPECT_FALSE(CValue(-1, 0.5, 0.2, 1));

    // A room whose row 2 sees with 80 mm by hand: D 3, T 0.9, R 1.1 - (2.5 - 1.5), N 0.134
    // gives 3 x 0.234 / 3.9 - 0.1 = 0.08 m, 79.99999999999999 after the arithmetic. The grade
    // and the list of rows below an 80 mm target agree on it.
    const SightlineAnalysis a = AnalyseSightlines(Project([](DadosProjeto& p) {
                                                      p.nDistOlhos1 = 3;
                                                      p.nDistEntreFilas = 0.9;
                                                      p.nAlturaOlhos1 = 1.1;
                                                      p.nTelaTopo = 2.5;
                                                      p.nTelaAltura = 1.5;
                                                      p.nAlturaFila2 = 0.134;
                                                  }),
                                                  80);
    ASSERT_GE(a.rows.size(), 2u);
    EXPECT_LT(ValueOf(a.rows[1].cValueMm), 80);  // the fixture reaches the fault
    EXPECT_NEAR(ValueOf(a.rows[1].cValueMm), 80, 1e-9);
    EXPECT_EQ(a.rows[1].grade, CGrade::Bom);
    ASSERT_TRUE(a.risers.rowsBelowTarget);
    EXPECT_EQ(std::count(a.risers.rowsBelowTarget->begin(), a.risers.rowsBelowTarget->end(), 2), 0);
}

TEST(SightlineAnalysis, StaggeredSeatsAreGradedByC2OverTheRowTwoAhead) {
    // Flat floor, focal point 0.52 m above the eyes, rows 1 m apart from 3.7 m: C2 of row k
    // over row k - 2 (eyes at D) is 0.52 x 2 / (D + 2): row 5 over row 3 (5.7 m) 135.1 mm,
    // row 6 119.5 mm, row 7 107.2 mm; rows 3 and 4 (D 3.7, 4.7) 182.5 and 155.2 mm.
    const auto flat = [](DadosProjeto& p) { p.nAlturaFila2 = 0; };
    const struct {
        int row;
        double c2;
        CGrade grade;
    } cases[] = {
        {3, 1.04 / 5.7 * 1000, CGrade::Excelente}, {4, 1.04 / 6.7 * 1000, CGrade::Excelente},
        {5, 1.04 / 7.7 * 1000, CGrade::Excelente}, {6, 1.04 / 8.7 * 1000, CGrade::Bom},
        {7, 1.04 / 9.7 * 1000, CGrade::Bom},
    };
    const SightlineAnalysis on = AnalyseSightlines(Project(flat), 90, true);
    const SightlineAnalysis off = AnalyseSightlines(Project(flat), 90, false);
    EXPECT_TRUE(on.staggered);
    EXPECT_NEAR(ValueOf(on.rows[4].c2ValueMm), 135.06, 0.01);
    EXPECT_NEAR(ValueOf(on.rows[5].c2ValueMm), 119.54, 0.01);
    EXPECT_NEAR(ValueOf(on.rows[6].c2ValueMm), 107.22, 0.01);
    for (const auto& c : cases) {
        const RowFigures& r = on.rows[static_cast<size_t>(c.row - 1)];
        EXPECT_NEAR(ValueOf(r.c2ValueMm), c.c2, 1e-9) << "row " << c.row;
        EXPECT_EQ(r.c2Grade, c.grade) << "row " << c.row;
        EXPECT_EQ(CountingGrade(on, r), c.grade) << "row " << c.row;
        // Without staggering the same row counts by its C-value, which the flat floor makes
        // poor (row 4: 5.7 x 0.52 / 6.7 ... below 80 mm).
        const RowFigures& same = off.rows[static_cast<size_t>(c.row - 1)];
        EXPECT_EQ(same.c2ValueMm.value, r.c2ValueMm.value);
        EXPECT_EQ(CountingGrade(off, same), same.grade);
    }
    EXPECT_EQ(CountingGrade(off, off.rows[6]), CGrade::Ruim);  // C 0.52 / 9.7 = 53.6 mm
    for (size_t k : {0u, 1u}) {
        EXPECT_FALSE(on.rows[k].c2ValueMm.value);
        EXPECT_FALSE(on.rows[k].c2ValueMm.reason.empty());
        EXPECT_FALSE(CountingGrade(on, on.rows[k]));
    }
    // With the default 0.2 m steps: row 3 over row 1, N 0.4, T 2, D 3.7, R -0.52:
    // 3.7 x (-0.12) / 5.7 + 0.52 = 442.1 mm.
    const SightlineAnalysis steps = AnalyseSightlines(Project(), 90, true);
    EXPECT_NEAR(ValueOf(steps.rows[2].c2ValueMm), (3.7 * -0.12 / 5.7 + 0.52) * 1000, 1e-9);
}

TEST(SightlineAnalysis, CategoriesServeUpToTheirDivisorTimesTheScreenHeight) {
    // A 1.5 m screen serves detail to 6 m, computer to 9 m, video to 12 m; the eyes of the
    // default rows stand at 3.7 m to 9.7 m, so rows 4 to 7 are beyond detail and 7 beyond
    // computer. A row exactly at the limit (row 3 at 6 m when the rows start at 4 m) is served.
    const SightlineAnalysis a =
        AnalyseSightlines(Project([](DadosProjeto& p) { p.nTelaAltura = 1.5; }));
    const double expected[3] = {6, 9, 12};
    const std::vector<int> beyond[3] = {{4, 5, 6, 7}, {7}, {}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_DOUBLE_EQ(ValueOf(a.categories[i].farthestServed), expected[i]);
        EXPECT_EQ(a.categories[i].rowsBeyond, beyond[i]) << a.categories[i].name;
    }
    EXPECT_EQ(std::string(a.categories[2].name), "Vídeo");

    const SightlineAnalysis edge = AnalyseSightlines(Project([](DadosProjeto& p) {
        p.nTelaAltura = 1.5;
        p.nDistOlhos1 = 4;
    }));
    EXPECT_EQ(edge.categories[0].rowsBeyond, (std::vector<int>{4, 5, 6, 7}));
}

TEST(SightlineAnalysis, SeatsOfAHandWorkedRoom) {
    // A room 10 m wide: 19 seats of 0.5 m from 0.25 m off the wall, centres 0.5 + 0.5k, so the
    // k-th seat sits 0.5k - 4.5 m off the centre line. A 3 m screen; rows at 2, 3 and 4 m.
    // Ideal within |offset| <= distance, acceptable within 1.5 m + distance (lines included).
    const SightlineAnalysis a = WholeGrid(Project([](DadosProjeto& p) {
        p.nLargura = 10;
        p.nLarguraAssento = 0.5;
        p.nAlturaFila2 = 0.25;
        p.nTelaLargura = 3;
        p.nDistOlhos1 = 2;
        p.nDistEntreFilas = 1;
        p.nNumeroFilas = 3;
    }));
    const SeatFigures& s = a.seats;
    EXPECT_DOUBLE_EQ(ValueOf(s.seatsPerRow), 19);
    EXPECT_DOUBLE_EQ(ValueOf(s.total), 57);
    using C = SeatClass;
    const std::vector<std::vector<SeatRun>> expected = {
        {{C::Fora, 1, 2},
         {C::Aceitavel, 3, 5},
         {C::Ideal, 6, 14},
         {C::Aceitavel, 15, 17},
         {C::Fora, 18, 19}},
        {{C::Aceitavel, 1, 3}, {C::Ideal, 4, 16}, {C::Aceitavel, 17, 19}},
        {{C::Aceitavel, 1, 1}, {C::Ideal, 2, 18}, {C::Aceitavel, 19, 19}},
    };
    ASSERT_EQ(s.rows.size(), 3u);
    for (size_t r = 0; r < 3; ++r) {
        EXPECT_EQ(s.rows[r].row, static_cast<int>(r) + 1);
        ASSERT_EQ(s.rows[r].runs.size(), expected[r].size()) << "row " << r + 1;
        for (size_t i = 0; i < expected[r].size(); ++i) {
            EXPECT_EQ(s.rows[r].runs[i].seatClass, expected[r][i].seatClass) << r << " " << i;
            EXPECT_EQ(s.rows[r].runs[i].first, expected[r][i].first) << r << " " << i;
            EXPECT_EQ(s.rows[r].runs[i].last, expected[r][i].last) << r << " " << i;
        }
    }
    EXPECT_EQ(s.counts[0], 9 + 13 + 17);
    EXPECT_EQ(s.counts[1], 6 + 6 + 2);
    EXPECT_EQ(s.counts[2], 4);
    EXPECT_DOUBLE_EQ(ValueOf(s.shares[0]), 39.0 / 57 * 100);
    EXPECT_DOUBLE_EQ(ValueOf(s.shares[1]), 14.0 / 57 * 100);
    EXPECT_DOUBLE_EQ(ValueOf(s.shares[2]), 4.0 / 57 * 100);
}

TEST(SightlineAnalysis, SeatRunsAgreeWithEverySeatClassifiedInTurn) {
    const struct {
        double width, seat, clearance, screen, first, depth, rows;
    } rooms[] = {
        {12, 0.55, 0.2, 3.2, 2.5, 0.95, 9},  // seats off centre: the leftover is on one side
        {30, 0.5, 0.1, 6, 1.0, 0.9, 12},     // a wide hall with a near first row
        {8, 0.6, 0.3, 0, 3, 1, 4},           // a screen of no width: both fields alike
        {5, 0.7, 0.2, 3, -2, 1, 5},          // rows behind the screen, then in front of it
        {20, 0.45, 0.25, 4, 0.5, 1.2, 30},   // rows deeper than the room is wide
    };
    for (const auto& room : rooms) {
        const DadosProjeto p = Project([&](DadosProjeto& p) {
            p.nLargura = room.width;
            p.nLarguraAssento = room.seat;
            p.nAlturaFila2 = room.clearance;
            p.nTelaLargura = room.screen;
            p.nDistOlhos1 = room.first;
            p.nDistEntreFilas = room.depth;
            p.nNumeroFilas = room.rows;
        });
        const SightlineAnalysis a = WholeGrid(p);
        ASSERT_EQ(a.seats.rows.size(), static_cast<size_t>(room.rows));
        const auto seats = static_cast<int>(SeatsPerRow(p));
        for (int r = 0; r < room.rows; ++r) {
            const std::vector<SeatClass> got = Expand(a.seats.rows[r]);
            ASSERT_EQ(got.size(), static_cast<size_t>(seats));
            for (int k = 0; k < seats; ++k) {
                const double lateral = SeatOffset(p, k) + room.seat / 2 - room.width / 2;
                EXPECT_EQ(got[k], ClassifyViewer(RowEyeDistance(p, r), lateral, room.screen))
                    << "room " << room.width << " row " << r + 1 << " seat " << k + 1;
            }
        }
    }
}

TEST(SightlineAnalysis, SeatsAreThoseThatThePlanDraws) {
    // Page B's plan, recorded: every "fila" image is a seat. Its back edge is the row's eye
    // distance, its middle the seat's lateral position; classified from the drawing they must
    // match the analysis seat for seat.
    const DadosProjeto p = Project([](DadosProjeto& p) {
        p.nComprimento = 20;
        p.nLargura = 12;
        p.nLarguraAssento = 0.55;
        p.nDistOlhos1 = 2.3;
        p.nNumeroFilas = 9;
        p.nTelaLargura = 3.1;
    });
    RecordingCanvas canvas;
    canvas.StartPreviewPage("x");
    const Elevation e = DrawPlannedElevation(p, canvas);
    const Plan plan = DrawPlannedPlan(p, canvas, e, {});
    canvas.EndPreviewPage();
    const double F = p.nFatorX;

    std::map<double, std::vector<SeatClass>> drawnRows;  // by column of the row's front edge
    for (const Primitive* seat : canvas.Page(0).OfKind(PrimitiveKind::Image)) {
        if (seat->imageName != kSeatImage) {
            continue;
        }
        const double distance = (seat->col + seat->width.value() - 20) / F;
        const double fromLowerWall = (plan.nPisoXX - (seat->row + seat->height / 2)) / F;
        drawnRows[seat->col].push_back(
            ClassifyViewer(distance, fromLowerWall - p.nLargura / 2, p.nTelaLargura));
    }
    const SightlineAnalysis a = WholeGrid(p);
    ASSERT_EQ(drawnRows.size(), a.seats.rows.size());
    size_t r = 0;
    int classes[3] = {0, 0, 0};
    for (const auto& [column, drawn] : drawnRows) {
        EXPECT_EQ(drawn, Expand(a.seats.rows[r])) << "row " << r + 1;
        for (SeatClass c : drawn) {
            ++classes[static_cast<int>(c)];
        }
        ++r;
    }
    // The fixture reaches all three fields.
    EXPECT_GT(classes[0], 0);
    EXPECT_GT(classes[1], 0);
    EXPECT_GT(classes[2], 0);
}

TEST(SightlineAnalysis, MeaninglessInputsGiveReasonsNotNumbers) {
    // Reasons in the user's words: no record name reaches them.
    const std::string noRows = "nenhuma fila de assentos";
    const std::string noHeight = "a tela pretendida não tem altura";
    const std::string noLines = "a imagem não tem resolução vertical";

    for (double rows : {0.0, -3.0}) {
        const SightlineAnalysis a =
            AnalyseSightlines(Project([&](DadosProjeto& p) { p.nNumeroFilas = rows; }));
        EXPECT_TRUE(a.rows.empty());
        EXPECT_EQ(a.rowsReason, noRows);
        for (const Figure* f :
             {&a.discas.farthestViewer, &a.discas.elementHeightMm, &a.discas.percentElementHeight,
              &a.discas.firstRowDistance, &a.seats.total, &a.seats.shares[0]}) {
            EXPECT_FALSE(f->value);
            EXPECT_EQ(f->reason, noRows);
        }
        EXPECT_FALSE(a.categories[0].rowsBeyond);
        EXPECT_EQ(a.categories[0].rowsBeyondReason, noRows);
        EXPECT_FALSE(a.discas.firstRowFarEnough);
        EXPECT_FALSE(a.discas.rowsBeyondAnalytical);
        // What does not need the rows is still there.
        EXPECT_DOUBLE_EQ(ValueOf(a.categories[0].farthestServed), 4 * 1.88);
        EXPECT_DOUBLE_EQ(ValueOf(a.seats.seatsPerRow), 6);
    }

    for (double seat : {0.0, -0.5}) {
        const SightlineAnalysis a =
            AnalyseSightlines(Project([&](DadosProjeto& p) { p.nLarguraAssento = seat; }));
        EXPECT_FALSE(a.seats.seatsPerRow.value) << seat;
        EXPECT_EQ(a.seats.seatsPerRow.reason,
                  seat == 0 ? "largura do assento nula" : "largura do assento negativa");
        EXPECT_FALSE(a.seats.total.value);
        EXPECT_FALSE(a.seats.shares[1].value);
        EXPECT_TRUE(a.seats.rows.empty());
        EXPECT_EQ(a.rows.size(), 7u);  // the rows themselves are unaffected
    }

    // A step clearance wider than the room: no seat fits, so there is no share of anything.
    const SightlineAnalysis narrow =
        AnalyseSightlines(Project([](DadosProjeto& p) { p.nAlturaFila2 = 3; }));
    EXPECT_DOUBLE_EQ(ValueOf(narrow.seats.seatsPerRow), 0);
    EXPECT_DOUBLE_EQ(ValueOf(narrow.seats.total), 0);
    EXPECT_EQ(narrow.seats.shares[0].reason, "nenhum assento cabe na largura da sala");

    for (double height : {0.0, -1.0}) {
        const SightlineAnalysis a =
            AnalyseSightlines(Project([&](DadosProjeto& p) { p.nTelaAltura = height; }));
        for (const Figure* f : {&a.categories[0].farthestServed, &a.categories[2].farthestServed,
                                &a.discas.percentElementHeight, &a.discas.analyticalFarthest,
                                &a.discas.closestViewer}) {
            EXPECT_FALSE(f->value) << height;
            EXPECT_EQ(f->reason, noHeight);
        }
        EXPECT_FALSE(a.categories[1].rowsBeyond);
        EXPECT_FALSE(a.discas.firstRowFarEnough);
        EXPECT_EQ(a.discas.firstRowFarEnoughReason, noHeight);
        // The farthest viewer and the smallest element do not depend on the image.
        EXPECT_DOUBLE_EQ(ValueOf(a.discas.farthestViewer), 9.7);
        EXPECT_NEAR(ValueOf(a.discas.elementHeightMm), std::hypot(9.7, 3.45) / 200 * 1000, 1e-9);
    }

    for (double lines : {0.0, -1080.0}) {
        const SightlineAnalysis a =
            AnalyseSightlines(Project([&](DadosProjeto& p) { p.nImagemAltura = lines; }));
        EXPECT_FALSE(a.discas.analyticalFarthest.value);
        EXPECT_EQ(a.discas.analyticalFarthest.reason, noLines);
        EXPECT_FALSE(a.discas.rowsBeyondAnalytical);
        EXPECT_EQ(a.discas.rowsBeyondAnalyticalReason, noLines);
        EXPECT_NEAR(ValueOf(a.discas.percentElementHeight),
                    std::hypot(9.7, 3.45) / (1.88 * 200) * 100, 1e-12);
    }

    // The front row in the plane of the screen: no angle from a point onto itself, and no
    // C-value over it; the rows behind it are measured normally.
    const SightlineAnalysis atScreen = AnalyseSightlines(Project([](DadosProjeto& p) {
        p.nDistOlhos1 = 0;
        p.nTelaTopo = 1.2;
    }));
    EXPECT_FALSE(atScreen.rows[0].angleToTop.value);
    EXPECT_EQ(atScreen.rows[0].angleToTop.reason, "olhos no plano da tela ou atrás dela");
    EXPECT_FALSE(atScreen.rows[1].cValueMm.value);
    EXPECT_EQ(atScreen.rows[1].cValueMm.reason, "fila da frente no plano da tela ou atrás dela");
    EXPECT_TRUE(atScreen.rows[2].cValueMm.value);
    EXPECT_NEAR(ValueOf(atScreen.rows[1].angleToTop), std::atan(0.2 / 1) * -180 / std::numbers::pi,
                1e-6);
}

TEST(SightlineAnalysis, RoomsBeyondWhatTheProgramHolds) {
    // 999 rows are analysed; one more is beyond the main window and the program's files.
    const SightlineAnalysis most =
        AnalyseSightlines(Project([](DadosProjeto& p) { p.nNumeroFilas = 999; }));
    EXPECT_EQ(most.rows.size(), 999u);
    EXPECT_EQ(most.seats.rows.size(), 999u);
    const SightlineAnalysis more =
        AnalyseSightlines(Project([](DadosProjeto& p) { p.nNumeroFilas = 999.5; }));
    EXPECT_TRUE(more.rows.empty());
    EXPECT_EQ(more.rowsReason, "mais de 999 filas: além do que o programa admite");
    EXPECT_FALSE(more.discas.farthestViewer.value);

    // 2.5 rows are three, as the drawings count them.
    EXPECT_EQ(AnalyseSightlines(Project([](DadosProjeto& p) { p.nNumeroFilas = 2.5; })).rows.size(),
              3u);

    // A hall of 100 million seats a row is classified at once, every seat counted.
    const SightlineAnalysis tiny = WholeGrid(Project([](DadosProjeto& p) {
        p.nLargura = 100;
        p.nLarguraAssento = 1e-6;
        p.nAlturaFila2 = 0;
        p.nNumeroFilas = 999;
    }));
    const double perRow = ValueOf(tiny.seats.seatsPerRow);
    EXPECT_NEAR(perRow, 1e8, 1);
    EXPECT_EQ(tiny.seats.counts[0] + tiny.seats.counts[1] + tiny.seats.counts[2],
              static_cast<std::int64_t>(perRow) * 999);
    const SightlineAnalysis tooMany = AnalyseSightlines(Project([](DadosProjeto& p) {
        p.nLargura = 1000;
        p.nLarguraAssento = 1e-7;
    }));
    EXPECT_FALSE(tooMany.seats.seatsPerRow.value);
    EXPECT_EQ(tooMany.seats.seatsPerRow.reason, "mais de um bilhão de assentos por fila");
}

}  // namespace
}  // namespace vm
