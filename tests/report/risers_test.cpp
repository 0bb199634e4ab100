// The riser design against hand computations, and the constant step checked with the C-value
// formula itself: every row meets the target with it, and one millimetre less fails a row.
#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/dados_projeto.h"
#include "report/sightline_analysis.h"
#include "tests/report/report_test_support.h"

namespace vm {
namespace {

using test::StartupProject;

// The smallest C-value that counts (C2 of rows 3 to n in staggered seating, C of rows 2 to n
// otherwise), in millimetres; INFINITY when no row has one.
double LowestC(const SightlineAnalysis& a) {
    double lowest = INFINITY;
    for (const RowFigures& r : a.rows) {
        if (r.number > (a.staggered ? 2 : 1)) {
            const Figure& c = CountingCValue(a, r);
            EXPECT_TRUE(c.value) << "row " << r.number << ": " << c.reason;
            lowest = std::min(lowest, c.value.value_or(-INFINITY));
        }
    }
    return lowest;
}

TEST(Risers, ConstantStepByHand) {
    struct Case {
        const char* name;
        std::function<void(DadosProjeto&)> edit;
        double target;
        double unrounded;  // (c x D_n + (E_1 - F) x T) / D_1
        double rounded;
        std::vector<int> below;  // rows under the target with the project's own step
    };
    const Case cases[] = {
        // F = 3.6 - 1.88 = 1.72, E_1 = 1.2, D_1 = 3.7, T = 1, D_7 = 9.7; the 0.2 m steps give
        // every row well over 90 mm.
        {"default", {}, 90, (0.09 * 9.7 - 0.52 * 1) / 3.7, 0.096, {}},
        // A flat floor: the same step is needed. With the focal point 0.52 m above the eyes,
        // row k sees D (-0.52) / (D + 1) + 0.52: 110.6 mm for row 2 (D 3.7), 91.2 for row 3
        // (D 4.7), 77.6 for row 4 (D 5.7); from row 4 on the rows fall short.
        {"flat floor",
         [](DadosProjeto& p) { p.nAlturaFila2 = 0; },
         90,
         (0.09 * 9.7 - 0.52 * 1) / 3.7,
         0.096,
         {4, 5, 6, 7}},
        // Focal point below the eyes: image 1.5 m high with its top at 2.2 m, F = 0.7.
        {"focal point below the eyes",
         [](DadosProjeto& p) {
             p.nTelaTopo = 2.2;
             p.nTelaAltura = 1.5;
         },
         90,
         (0.09 * 9.7 + 0.5 * 1) / 3.7,
         0.372,
         {2, 3, 4, 5, 6, 7}},
        // C = 0 with the focal point above the eyes: the formula would let the floor fall
        // towards the back (-0.140 m); a level floor is proposed instead.
        {"C = 0", {}, 0, (0 - 0.52 * 1) / 3.7, 0, {}},
        // 15 rows 0.9 m apart from 4 m, eyes at 1.15 m, image bottom at 1.0 m, 120 mm.
        {"fifteen rows",
         [](DadosProjeto& p) {
             p.nNumeroFilas = 15;
             p.nDistOlhos1 = 4;
             p.nDistEntreFilas = 0.9;
             p.nAlturaOlhos1 = 1.15;
             p.nTelaTopo = 3;
             p.nTelaAltura = 2;
             p.nAlturaFila2 = 0.15;
         },
         120,
         (0.12 * (4 + 14 * 0.9) + 0.15 * 0.9) / 4,
         0.532,
         {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const DadosProjeto p = StartupProject(c.edit);
        const SightlineAnalysis a = AnalyseSightlines(p, c.target);
        const std::vector<double> distances = [&] {
            std::vector<double> d;
            for (const RowFigures& r : a.rows) {
                d.push_back(r.eyeDistance);
            }
            return d;
        }();
        EXPECT_NEAR(ConstantStep(distances, p.nAlturaOlhos1, a.screenBottom, p.nDistEntreFilas,
                                 c.target / 1000)
                        .value(),
                    c.unrounded, 1e-12);
        ASSERT_TRUE(a.risers.constantStep.value) << a.risers.constantStep.reason;
        EXPECT_NEAR(*a.risers.constantStep.value, c.rounded, 1e-12);
        EXPECT_EQ(a.risers.flatFloorSuffices, c.unrounded <= 0);
        EXPECT_EQ(a.risers.currentStep, p.nAlturaFila2);
        EXPECT_EQ(a.risers.rowsBelowTarget, c.below);
    }
}

TEST(Risers, IsopticEyeHeightsByHand) {
    // Default project with the image 0.3 m lower: E_k = F + (E_k-1 - F + c) x D_k / D_k-1,
    // F = 1.42, c = 0.09; the line over each row rises from row 2 on.
    const auto lower = [](DadosProjeto& p) { p.nTelaTopo = 3.3; };
    const SightlineAnalysis a = AnalyseSightlines(StartupProject(lower), 90);
    ASSERT_TRUE(a.risers.isoptic) << a.risers.isopticReason;
    const std::vector<IsopticRow>& rows = *a.risers.isoptic;
    ASSERT_EQ(rows.size(), 7u);
    double expected = 1.2;
    EXPECT_EQ(rows[0].row, 1);
    EXPECT_DOUBLE_EQ(rows[0].eyeHeight, 1.2);
    EXPECT_FALSE(rows[0].step.value);
    EXPECT_FALSE(rows[0].step.reason.empty());
    EXPECT_DOUBLE_EQ(rows[0].floorRise, 0);
    for (int k = 2; k <= 7; ++k) {
        const double next = 1.42 + (expected - 1.42 + 0.09) * (3.7 + (k - 1)) / (3.7 + (k - 2));
        const IsopticRow& r = rows[static_cast<size_t>(k - 1)];
        EXPECT_EQ(r.row, k);
        EXPECT_NEAR(r.eyeHeight, next, 1e-12) << "row " << k;
        EXPECT_NEAR(r.step.value.value_or(NAN), next - expected, 1e-12) << "row " << k;
        EXPECT_NEAR(r.floorRise, next - 1.2, 1e-12) << "row " << k;
        expected = next;
    }
    // Row 2 by hand: 1.42 + (1.2 - 1.42 + 0.09) x 4.7 / 3.7 = 1.254864...
    EXPECT_NEAR(rows[1].eyeHeight, 1.42 - 0.13 * 4.7 / 3.7, 1e-12);

    // On the isoptic floor every row sees over the one in front with exactly the target.
    for (const IsopticRow& r : rows) {
        if (r.row > 1) {
            const double D = 3.7 + (r.row - 2);
            const double R = rows[static_cast<size_t>(r.row - 2)].eyeHeight - 1.42;
            EXPECT_NEAR(CValue(D, R, *r.step.value, 1).value() * 1000, 90, 1e-9);
        }
    }
}

// The 40 x 30 m hall of 30 rows 1.1 m deep, eyes of row 1 at 3.7 m and 1.2 m, the image's bottom
// edge at 6 - 2.4 = 3.6 m, the project's step 0.20 m.
void HallFortyByThirty(DadosProjeto& p) {
    p.nComprimento = 40;
    p.nLargura = 30;
    p.nNumeroFilas = 30;
    p.nDistEntreFilas = 1.1;
    p.nTelaTopo = 6;
    p.nTelaAltura = 2.4;
    p.nPeDireito = 10;
}

// Staggered seating: every figure of the design asks whether a row sees by C2, over the row two
// ahead, as the rows are graded.
TEST(Risers, StaggeredSeatsAreDesignedByC2) {
    struct Case {
        const char* name;
        std::function<void(DadosProjeto&)> edit;
        double target;
        bool staggered;
        double constantStep;     // rounded up to the millimetre
        bool flat;               // a level floor suffices
        std::vector<int> below;  // rows under the target with the project's own step
        double groupedRise;      // of the grouped design that counts
    };
    const Case cases[] = {
        // Over the row in front: s = (0.1125 x 35.6 - 2.4 x 1.1) / 3.7 = 0.3689 -> 0.369 m (10.7 m
        // over 29 steps); C of row 25, (29.0 x 0.2 + 1.2 x 1.1) / 30.1 = 112.3 mm, already short.
        {"40 x 30 m hall, C", HallFortyByThirty, 112.5, false, 0.369, false,
         {25, 26, 27, 28, 29, 30}, 0.384},
        // Staggered: on a level floor C2 of row k over row k-2 is 2.4 x 2.2 / D_k (the focal point
        // 2.4 m above the eyes, two rows 2.2 m deep), 5.28 / 35.6 = 148.3 mm for row 30, so no
        // row needs a rise: s = (0.1125 x 35.6 - 2 x 2.4 x 1.1) / (2 x 3.7) < 0. With the 0.2 m
        // steps every C2 is excelente (row 30: 189.9 mm).
        {"40 x 30 m hall, C2", HallFortyByThirty, 112.5, true, 0, true, {}, 0},
        // Default project, 120 mm: s = (0.12 x 9.7 - 1.04) / 7.4 = 0.01676 -> 0.017 m; by C it is
        // (0.12 x 9.7 - 0.52) / 3.7 = 0.1741 -> 0.175 m. The project's 0.2 m steps give every row
        // enough: row 7's C is (8.7 x 0.2 - 0.48 x 1) / 9.7 = 129.9 mm. The grouped designs (their
        // least step is proved below) rise 0.536 m by C and 0.018 m by C2.
        {"default, C", {}, 120, false, 0.175, false, {}, 0.536},
        {"default, C2", {}, 120, true, 0.017, false, {}, 0.018},
        // A flat floor: by C, 90 mm, rows 4 to 7 fall short (row 4: 0.52 x 1 / 5.7 = 91.2 mm over
        // row 3... see ConstantStepByHand); by C2, 120 mm, C2 = 0.52 x 2 / D_k: row 5 135.1 mm,
        // row 6 119.5 mm and row 7 107.2 mm, so rows 6 and 7.
        {"flat floor, C", [](DadosProjeto& p) { p.nAlturaFila2 = 0; }, 90, false, 0.096, false,
         {4, 5, 6, 7}, 0.198},
        {"flat floor, C2 120", [](DadosProjeto& p) { p.nAlturaFila2 = 0; }, 120, true, 0.017,
         false, {6, 7}, 0.018},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const SightlineAnalysis a = AnalyseSightlines(StartupProject(c.edit), c.target, c.staggered);
        const RiserDesign& r = a.risers;
        ASSERT_TRUE(r.constantStep.value) << r.constantStep.reason;
        EXPECT_NEAR(*r.constantStep.value, c.constantStep, 1e-12);
        EXPECT_EQ(r.flatFloorSuffices, c.flat);
        EXPECT_EQ(r.rowsBelowTarget, c.below);
        ASSERT_TRUE(r.isoptic) << r.isopticReason;
        EXPECT_EQ(r.isoptic->back().floorRise == 0, c.flat);
        const std::optional<GroupedRisers>& g = CountingGroupedRisers(a);
        ASSERT_TRUE(g) << r.groupedReason;
        EXPECT_EQ(g->staggered, c.staggered);
        EXPECT_NEAR(g->totalRise, c.groupedRise, 1e-9);
        // No row that the grades call below the target is missing from the list, nor the reverse.
        for (const RowFigures& row : a.rows) {
            const Figure& v = CountingCValue(a, row);
            const bool short_ = v.value && *v.value < c.target - kCValueTolerance;
            EXPECT_EQ(short_, std::count(c.below.begin(), c.below.end(), row.number) == 1)
                << "row " << row.number;
        }
    }
    // Fewer than three rows: no row looks over a row two ahead, a level floor suffices.
    EXPECT_EQ(ConstantStep({3.7, 4.7}, 1.2, 1.72, 1, 0.3, true), 0.0);
    EXPECT_GT(ConstantStep({3.7, 4.7}, 1.2, 1.72, 1, 0.3, false).value(), 0);
}

TEST(Risers, StaggeredIsopticEyeHeightsByHand) {
    // Default project, 120 mm, staggered: rows 1 and 2 level at 1.2 m; row k's eyes
    // E_k = max(E_k-1, F + (E_k-2 - F + c) x D_k / D_k-2), F = 1.72, c = 0.12: rows 3 to 5 stay
    // level (row 5: 1.72 - 0.4 x 7.7 / 5.7 = 1.1796), row 6 rises to 1.72 - 0.4 x 8.7 / 6.7 =
    // 1.2006, row 7 over the level row 5 to 1.72 - 0.4 x 9.7 / 7.7 = 1.2161.
    const SightlineAnalysis a = AnalyseSightlines(StartupProject(), 120, true);
    ASSERT_TRUE(a.risers.isoptic) << a.risers.isopticReason;
    const std::vector<IsopticRow>& rows = *a.risers.isoptic;
    ASSERT_EQ(rows.size(), 7u);
    std::vector<double> eyes = {1.2, 1.2};
    EXPECT_DOUBLE_EQ(rows[1].eyeHeight, 1.2);
    EXPECT_DOUBLE_EQ(rows[1].step.value.value_or(NAN), 0);
    for (size_t k = 2; k < 7; ++k) {
        const double d = 3.7 + static_cast<double>(k);
        const double line = 1.72 + (eyes[k - 2] - 1.72 + 0.12) * d / (d - 2);
        eyes.push_back(std::max(eyes[k - 1], line));
        EXPECT_NEAR(rows[k].eyeHeight, eyes[k], 1e-12) << "row " << k + 1;
        EXPECT_NEAR(rows[k].step.value.value_or(NAN), eyes[k] - eyes[k - 1], 1e-12);
        EXPECT_NEAR(rows[k].floorRise, eyes[k] - 1.2, 1e-12);
    }
    EXPECT_DOUBLE_EQ(rows[4].eyeHeight, 1.2);
    EXPECT_NEAR(rows[5].eyeHeight, 1.72 - 0.4 * 8.7 / 6.7, 1e-12);
    EXPECT_NEAR(rows[6].eyeHeight, 1.72 - 0.4 * 9.7 / 7.7, 1e-12);
    // Row 7 sees over row 5 with exactly the target: rise and depth of two rows.
    EXPECT_NEAR(CValue(7.7, 1.2 - 1.72, rows[6].eyeHeight - 1.2, 2).value() * 1000, 120, 1e-9);
}

TEST(Risers, TheConstantStepIsTheSmallestWholeMillimetre) {
    const std::function<void(DadosProjeto&)> rooms[] = {
        {},
        [](DadosProjeto& p) { p.nAlturaFila2 = 0; },
        [](DadosProjeto& p) {
            p.nTelaTopo = 2.2;
            p.nTelaAltura = 1.5;
        },
        [](DadosProjeto& p) {
            p.nComprimento = 20;
            p.nLargura = 14;
            p.nNumeroFilas = 15;
            p.nDistEntreFilas = 0.9;
            p.nAlturaFila2 = 0;
        },
        [](DadosProjeto& p) {
            p.nNumeroFilas = 2;
            p.nDistEntreFilas = 1.25;
        },
    };
    // In staggered seating the step is checked against C2 over the row two ahead.
    for (size_t room = 0; room < std::size(rooms); ++room) {
        for (const bool staggered : {false, true}) {
            for (double target : {0.0, 60.0, 90.0, 120.0, 33.3, 200.0}) {
                SCOPED_TRACE("room " + std::to_string(room) + ", C " + std::to_string(target) +
                             (staggered ? ", staggered" : ""));
                DadosProjeto p = StartupProject(rooms[room]);
                const double step =
                    AnalyseSightlines(p, target, staggered).risers.constantStep.value.value();
                EXPECT_NEAR(step * 1000, std::round(step * 1000), 1e-9);

                p.nAlturaFila2 = step;
                const SightlineAnalysis with = AnalyseSightlines(p, target, staggered);
                EXPECT_GE(LowestC(with), target - kCValueTolerance);
                EXPECT_EQ(with.risers.rowsBelowTarget, std::vector<int>{});

                if (step == 0) {
                    // A level floor already gives the target: nothing lower is proposed.
                    EXPECT_TRUE(with.risers.flatFloorSuffices);
                    continue;
                }
                p.nAlturaFila2 = step - 0.001;
                const SightlineAnalysis less = AnalyseSightlines(p, target, staggered);
                EXPECT_LT(LowestC(less), target - kCValueTolerance);
                ASSERT_TRUE(less.risers.rowsBelowTarget);
                EXPECT_FALSE(less.risers.rowsBelowTarget->empty());
            }
        }
    }
}

// A row never needs to sit lower than the row in front: no proposed step is negative, and where a
// level floor gives the target the design says so.
TEST(Risers, TheFloorNeverDescendsTowardsTheBack) {
    struct Case {
        const char* name;
        std::function<void(DadosProjeto&)> edit;
        double target;
        bool flat;  // a level floor gives every row the target
    };
    const Case cases[] = {
        // Row 2 would sit 0.026 m lower on the isoptic; the constant step is 0.096 m.
        {"default project", {}, 90, false},
        // Image bottom at 4 m, far above the 1.2 m eyes: the isoptic fell to -1.597 m.
        {"high screen",
         [](DadosProjeto& p) {
             p.nTelaTopo = 6;
             p.nTelaAltura = 2;
         },
         90, true},
        {"flat floor", [](DadosProjeto& p) { p.nAlturaFila2 = 0; }, 90, false},
        {"target 0", {}, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DadosProjeto p = StartupProject(c.edit);
        const RiserDesign r = AnalyseSightlines(p, c.target).risers;
        ASSERT_TRUE(r.isoptic) << r.isopticReason;
        double previous = -INFINITY;
        for (const IsopticRow& row : *r.isoptic) {
            EXPECT_GE(row.step.value.value_or(0), 0) << "row " << row.row;
            EXPECT_GE(row.floorRise, 0) << "row " << row.row;
            EXPECT_GE(row.eyeHeight, previous) << "row " << row.row;
            previous = row.eyeHeight;
        }
        ASSERT_TRUE(r.constantStep.value) << r.constantStep.reason;
        EXPECT_GE(*r.constantStep.value, 0);
        EXPECT_EQ(r.flatFloorSuffices, c.flat);
        EXPECT_EQ(*r.constantStep.value == 0, c.flat);
        // The isoptic and a level floor agree on where a level floor suffices.
        EXPECT_EQ(r.isoptic->back().floorRise == 0, c.flat);

        // Every row still meets the target on the isoptic floor it proposes.
        p.nAlturaFila2 = *r.constantStep.value;
        EXPECT_GE(LowestC(AnalyseSightlines(p, c.target)), c.target - kCValueTolerance);
    }
    // The default project's isoptic keeps row 2 level with row 1 (the line allowed 1.174 m).
    const RiserDesign d = AnalyseSightlines(StartupProject(), 90).risers;
    EXPECT_DOUBLE_EQ((*d.isoptic)[1].eyeHeight, 1.2);
    EXPECT_DOUBLE_EQ((*d.isoptic)[1].step.value.value_or(NAN), 0);
}

TEST(Risers, NoDesignWithoutTwoRowsInFrontOfTheScreen) {
    struct Case {
        const char* name;
        std::function<void(DadosProjeto&)> edit;
        bool rowsBelowKnown;
    };
    const Case cases[] = {
        {"no rows", [](DadosProjeto& p) { p.nNumeroFilas = 0; }, false},
        {"one row", [](DadosProjeto& p) { p.nNumeroFilas = 1; }, false},
        {"first row on the screen's plane", [](DadosProjeto& p) { p.nDistOlhos1 = 0; }, true},
        {"rows behind the screen",
         [](DadosProjeto& p) {
             p.nDistOlhos1 = 1;
             p.nDistEntreFilas = -1;
         },
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const RiserDesign r = AnalyseSightlines(StartupProject(c.edit), 90).risers;
        EXPECT_FALSE(r.isoptic);
        EXPECT_FALSE(r.isopticReason.empty());
        EXPECT_FALSE(r.constantStep.value);
        EXPECT_FALSE(r.constantStep.reason.empty());
        EXPECT_EQ(r.rowsBelowTarget.has_value(), c.rowsBelowKnown);
        EXPECT_EQ(r.rowsBelowTargetReason.empty(), c.rowsBelowKnown);
        EXPECT_EQ(r.currentStep, 0.2);
    }
    EXPECT_FALSE(ConstantStep({3.7}, 1.2, 1.72, 1, 0.09));
    EXPECT_FALSE(ConstantStep({0, 1}, 1.2, 1.72, 1, 0.09));
}

TEST(Risers, RoundingUpToTheMillimetre) {
    EXPECT_DOUBLE_EQ(RoundUpToMillimetre(0.0954), 0.096);
    EXPECT_DOUBLE_EQ(RoundUpToMillimetre(0.0951), 0.096);
    EXPECT_DOUBLE_EQ(RoundUpToMillimetre(0.1 - 0.004), 0.096);  // 0.096 after a sum
    EXPECT_DOUBLE_EQ(RoundUpToMillimetre(0.0960001), 0.097);
    EXPECT_DOUBLE_EQ(RoundUpToMillimetre(-0.14054), -0.140);
    EXPECT_DOUBLE_EQ(RoundUpToMillimetre(0), 0);
}

}  // namespace
}  // namespace vm

namespace vm {
namespace {

// C = (D x N - T x R) / (D + T), written out here apart from the program's CValue.
double Clearance(double D, double R, double N, double T) {
    return (D * N - T * R) / (D + T);
}

// Whether every row meets the target with these floor rises: over the row in front, or over the
// row two ahead in staggered seating (rows 1 and 2 then free).
int FirstFailingRow(const std::vector<double>& d, double eye1, double focal, double c,
                    const std::vector<double>& rise, bool staggered) {
    const size_t ahead = staggered ? 2 : 1;
    for (size_t j = ahead; j < d.size(); ++j) {
        const size_t f = j - ahead;
        if (Clearance(d[f], eye1 + rise[f] - focal, rise[j] - rise[f], d[j] - d[f]) <
            c - 1e-9) {
            return static_cast<int>(j) + 1;
        }
    }
    return 0;
}

TEST(Risers, GroupedRisersAreTheLeastToTheMillimetre) {
    // The default room (rows from 3.7 m, 1 m apart, eyes 1.2 m, image bottom 1.72 m), and a deep
    // flat hall of 20 rows.
    struct Case {
        int rows;
        double target;
    };
    for (const Case& h : {Case{7, 0.09}, Case{20, 0.09}, Case{20, 0.12}, Case{13, 0.06}}) {
        std::vector<double> d;
        for (int k = 0; k < h.rows; ++k) {
            d.push_back(3.7 + k);
        }
        for (const bool staggered : {false, true}) {
            for (int k = kMinRiserBlock; k <= kMaxRiserBlock; ++k) {
                SCOPED_TRACE(std::to_string(h.rows) + " rows, blocks of " + std::to_string(k) +
                             (staggered ? ", staggered" : ""));
                const std::optional<GroupedRisers> g =
                    DesignGroupedRisers(d, 1.2, 1.72, h.target, k, staggered);
                ASSERT_TRUE(g);
                EXPECT_EQ(FirstFailingRow(d, 1.2, 1.72, h.target, g->floorRise, staggered), 0);
                // Each block's step one millimetre lower (the rows behind keeping their steps)
                // fails a row of that block.
                for (size_t b = 0; b < g->blocks.size(); ++b) {
                    const RiserBlock& block = g->blocks[b];
                    EXPECT_NEAR(block.step * 1000, std::round(block.step * 1000), 1e-6);
                    if (block.step == 0) {
                        continue;
                    }
                    // Row 1 has no step of its own: its floor is the level of the others.
                    const int stepped = std::max(block.firstRow, 2);
                    std::vector<double> lower = g->floorRise;
                    for (int j = stepped - 1; j < h.rows; ++j) {
                        lower[j] -= 0.001 * (std::min(j + 1, block.lastRow) - stepped + 1);
                    }
                    const int failing =
                        FirstFailingRow(d, 1.2, 1.72, h.target, lower, staggered);
                    EXPECT_GE(failing, block.firstRow) << "block " << b + 1;
                    EXPECT_LE(failing, block.lastRow) << "block " << b + 1;
                }
            }
        }
    }
    // By hand, the default room in blocks of 3: rows 1-3 see with a flat floor; row 6 asks the
    // most of block 4-6, s >= (0.09 x 8.7 - 0.52) / 7.7 / (1 - 2 / 7.7) = 0.0461 -> 0.047 m.
    const auto g = DesignGroupedRisers({3.7, 4.7, 5.7, 6.7, 7.7, 8.7, 9.7}, 1.2, 1.72, 0.09, 3,
                                       false);
    ASSERT_EQ(g->blocks.size(), 3u);
    EXPECT_EQ(g->blocks[0].step, 0);
    EXPECT_DOUBLE_EQ(g->blocks[1].step, 0.047);
    EXPECT_EQ(g->blocks[2].firstRow, 7);
    // The analysis offers the best of 3, 4 and 5 rows, or the size asked for.
    const SightlineAnalysis a = AnalyseSightlines(test::Project());
    ASSERT_TRUE(a.risers.grouped);
    for (int k = kMinRiserBlock; k <= kMaxRiserBlock; ++k) {
        EXPECT_LE(a.risers.grouped->totalRise,
                  DesignGroupedRisers({3.7, 4.7, 5.7, 6.7, 7.7, 8.7, 9.7}, 1.2, 1.72, 0.09, k,
                                      false)->totalRise + 1e-12);
    }
    EXPECT_EQ(AnalyseSightlines(test::Project(), 90, false, 4, 5).risers.grouped->blockRows, 5);
}

}  // namespace
}  // namespace vm
