// The wheelchair spaces' sight lines and the interpreter's window, by hand on the default project:
// image top 3.60 m, bottom 3.60 - 1.88 = 1.72 m, row k's eyes 3.7 + (k - 1) x 1.0 m from the screen
// and 1.2 + (k - 1) x 0.2 m high, 7 rows, 5 m wide, seats 0.7 m from 0.2 m off each wall.
#include "report/wheelchair_positions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "report/figure_output.h"
#include "report/sightline_analysis.h"
#include "tests/report/report_test_support.h"

namespace vm {
namespace {

using test::Project;

TEST(WheelchairPositions, SightLinesByHand) {
    const DadosProjeto p = Project();
    const double focal = 3.6 - 1.88;
    const struct {
        const char* name;
        WheelchairPlace place;
        double floor, distance, needed;
        bool thirty;
        int rowInFront;
        std::optional<double> cMm;
        bool clears;
    } cases[] = {
        // 1.732 x (3.6 - 0 - 1.15) = 4.2434 m needed against 3.70 m: too close.
        {"row 1", {1, AisleSide::Left, 0, 0}, 0, 3.7, 1.732 * 2.45, false, 0, std::nullopt, true},
        // Row 2's floor 0.20 m, eyes 1.35 m: 1.732 x 2.25 = 3.897 m against 4.70 m; over row 1's
        // eyes (3.7 m, 1.2 m): C = 3.7 x (0.15 + 1.2 - 1.72) / 4.7 - (1.2 - 1.72).
        {"row 2",
         {2, AisleSide::Right, 0, 0},
         0.2,
         4.7,
         1.732 * 2.25,
         true,
         1,
         (3.7 * (0.15 + 1.2 - focal) / 4.7 - (1.2 - focal)) * 1000,
         true},
        // The same as a platform at row 2's height and distance.
        {"platform",
         {0, AisleSide::Left, 0.2, 4.7},
         0.2,
         4.7,
         1.732 * 2.25,
         true,
         1,
         (3.7 * (0.15 + 1.2 - focal) / 4.7 - (1.2 - focal)) * 1000,
         true},
        // On the room's floor behind row 3 (5.7 m, eyes 1.6 m): the line to 1.72 m from 1.15 m
        // at 6.0 m runs below row 3's eyes, let alone its head.
        {"low platform at the back",
         {0, AisleSide::Left, 0, 6.0},
         0,
         6.0,
         1.732 * 2.45,
         true,
         3,
         (5.7 * (1.15 - 1.6 + 1.6 - focal) / 6.0 - (1.6 - focal)) * 1000,
         false},
        // Exactly at the limit: 1.732 x 2.45 m away passes; on the room's floor behind row 1, its
        // line runs below row 1's eyes.
        {"at the limit",
         {0, AisleSide::Left, 0, 1.732 * 2.45},
         0,
         1.732 * 2.45,
         1.732 * 2.45,
         true,
         1,
         (3.7 * (1.15 - 1.2 + 1.2 - focal) / (1.732 * 2.45) - (1.2 - focal)) * 1000,
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto w = PlaceWheelchairs(p, {c.place}, 1);
        ASSERT_EQ(w.size(), 1u);
        EXPECT_EQ(w[0].reason, "");
        EXPECT_NEAR(w[0].floor, c.floor, 1e-12);
        EXPECT_NEAR(w[0].eye, c.floor + 1.15, 1e-12);
        EXPECT_NEAR(w[0].distance, c.distance, 1e-12);
        EXPECT_NEAR(w[0].neededDistance, c.needed, 1e-9);
        EXPECT_EQ(w[0].thirtyDegreesOk, c.thirty);
        EXPECT_EQ(w[0].rowInFront, c.rowInFront);
        ASSERT_EQ(w[0].cValueMm.has_value(), c.cMm.has_value());
        if (c.cMm) {
            EXPECT_NEAR(*w[0].cValueMm, *c.cMm, 1e-9);
        } else {
            EXPECT_EQ(w[0].cValueReason, "não há fila à frente");
        }
        EXPECT_EQ(w[0].clearsRowInFront, c.clears);
    }
    // The figures as they are quoted, rounded to the centimetre.
    const auto quoted =
        PlaceWheelchairs(p, {{1, AisleSide::Left, 0, 0}, {0, AisleSide::Right, 0.2, 4.7}}, 1);
    EXPECT_NEAR(quoted[0].neededDistance, 4.24, 0.005);
    EXPECT_NEAR(quoted[1].neededDistance, 3.90, 0.005);
}

TEST(WheelchairPositions, TheRowBehindSeesOverTheSpace) {
    // The row behind looks over the space's user's eyes: C = D (N + R) / (D + T) - R with the
    // space's eyes at D, R above the image's bottom (1.72 m).
    const DadosProjeto p = Project();
    const struct {
        const char* name;
        WheelchairPlace place;
        int rowBehind;
        double cMm;
    } cases[] = {
        // Row 2's space (4.70 m, eyes 1.35 m) before row 3 (5.70 m, 1.60 m).
        {"row 2", {2, AisleSide::Left, 0, 0}, 3, (4.7 * (0.25 - 0.37) / 5.7 + 0.37) * 1000},
        // A platform 1.0 m high at row 4's distance lifts its eyes to 2.15 m, above row 5's 2.0 m
        // (7.70 m): row 5's line runs below them.
        {"high platform",
         {0, AisleSide::Left, 1.0, 6.7},
         5,
         (6.7 * (-0.15 + 0.43) / 7.7 - 0.43) * 1000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto w = PlaceWheelchairs(p, {c.place}, 1);
        EXPECT_EQ(w[0].rowBehind, c.rowBehind);
        ASSERT_TRUE(w[0].cBehindMm);
        EXPECT_NEAR(*w[0].cBehindMm, c.cMm, 1e-9);
    }
    // Behind the last row: none.
    const auto last = PlaceWheelchairs(p, {{7, AisleSide::Left, 0, 0}}, 1);
    EXPECT_EQ(last[0].rowBehind, 0);
    EXPECT_FALSE(last[0].cBehindMm);
}

TEST(WheelchairPositions, ASpaceFailsWhenTheRowBehindFallsShortOfTheTarget) {
    // C behind as worked out above: row 2's space 271 mm, the 1.0 m platform at 6.7 m -186 mm.
    // Both spaces pass their own checks (30°: 3.90 m and 2.51 m needed; the heads in front
    // cleared), so the row behind decides.
    const DadosProjeto p = Project();
    const struct {
        const char* name;
        WheelchairPlace place;
        double targetCmm;
        std::optional<bool> rowBehindOk;
    } cases[] = {
        {"row 2, target 90", {2, AisleSide::Left, 0, 0}, 90, true},
        {"row 2, target 280", {2, AisleSide::Left, 0, 0}, 280, false},
        {"high platform", {0, AisleSide::Left, 1.0, 6.7}, 90, false},
        {"low platform at row 2", {0, AisleSide::Left, 0.2, 4.7}, 90, true},
        {"last row: none behind", {7, AisleSide::Left, 0, 0}, 90, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        AccessibilityInputs in;
        in.wheelchairs = {c.place};
        const SightlineAnalysis a =
            AnalyseSightlines(p, c.targetCmm, false, kDefaultElementPercent, 0, in);
        ASSERT_EQ(a.wheelchairs.size(), 1u);
        const WheelchairPosition& w = a.wheelchairs[0];
        EXPECT_EQ(w.rowBehindOk, c.rowBehindOk);
        EXPECT_EQ(SpacePasses(w),
                  w.thirtyDegreesOk && w.clearsRowInFront && c.rowBehindOk != false);
        if (c.place.row != 7) {
            EXPECT_TRUE(w.thirtyDegreesOk && w.clearsRowInFront);
        }
    }
}

TEST(WheelchairPositions, WhereTheSpacesStand) {
    // By default: the required spaces in the first row on the room's floor, left and right in
    // turn, side by side from the seats' first place 0.2 m off each wall.
    const DadosProjeto p = Project();
    const auto w = PlaceWheelchairs(p, {}, 3);
    ASSERT_EQ(w.size(), 3u);
    const double nearWall[] = {0.2, 5 - 0.2 - 0.8, 0.2 + 0.8};
    const AisleSide sides[] = {AisleSide::Left, AisleSide::Right, AisleSide::Left};
    for (size_t k = 0; k < 3; ++k) {
        EXPECT_TRUE(w[k].byDefault);
        EXPECT_EQ(w[k].place.row, 1);
        EXPECT_EQ(w[k].place.side, sides[k]);
        EXPECT_NEAR(w[k].nearWall, nearWall[k], 1e-12) << k;
    }
    // The hall's spaces in a row and at an end chosen in the window: side by side from that wall.
    const auto chosen = PlaceWheelchairs(p, {}, 2, 3, AisleSide::Right);
    ASSERT_EQ(chosen.size(), 2u);
    EXPECT_FALSE(chosen[0].byDefault);
    EXPECT_EQ(chosen[1].place.row, 3);
    EXPECT_NEAR(chosen[1].nearWall, 5 - 0.2 - 2 * 0.8, 1e-12);
    // A flat floor puts them in row 1 as well; no rows: no place, with the reason.
    EXPECT_EQ(FirstLevelRow(Project([](DadosProjeto& q) { q.nAlturaFila2 = 0; })), 1);
    const auto none = PlaceWheelchairs(Project([](DadosProjeto& q) { q.nNumeroFilas = 0; }), {}, 1);
    ASSERT_EQ(none.size(), 1u);
    EXPECT_EQ(none[0].reason, "nenhuma fila de assentos");
    const auto beyond = PlaceWheelchairs(p, {{9, AisleSide::Left, 0, 0}}, 1);
    EXPECT_EQ(beyond[0].reason, "a fila 9 não existe: o projeto tem 7 filas");
    EXPECT_FALSE(beyond[0].byDefault);
}

TEST(WheelchairPositions, TypedPlaces) {
    const struct {
        const char* text;
        bool platform;
        bool valid;
        WheelchairPlace place;
    } cases[] = {
        {"3", false, true, {3, AisleSide::Left, 0, 0}},
        {"3:right", false, true, {3, AisleSide::Right, 0, 0}},
        {"12:Esquerda", false, true, {12, AisleSide::Left, 0, 0}},
        {"0", false, false, {}},
        {"1000", false, false, {}},
        {"3:up", false, false, {}},
        {"-1", false, false, {}},
        {"", false, false, {}},
        {"0.2@4.7", true, true, {0, AisleSide::Left, 0.2, 4.7}},
        {"0,6@6,7:direita", true, true, {0, AisleSide::Right, 0.6, 6.7}},
        {"0@0.01", true, true, {0, AisleSide::Left, 0, 0.01}},
        {"0.2@0", true, false, {}},
        {"-0.1@4", true, false, {}},
        {"0.2", true, false, {}},
        {"a@4", true, false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto place =
            c.platform ? WheelchairPlatformFromText(c.text) : WheelchairRowFromText(c.text);
        ASSERT_EQ(place.has_value(), c.valid);
        if (place) {
            EXPECT_EQ(place->row, c.place.row);
            EXPECT_EQ(place->side, c.place.side);
            EXPECT_DOUBLE_EQ(place->platformHeight, c.place.platformHeight);
            EXPECT_DOUBLE_EQ(place->platformDistance, c.place.platformDistance);
        }
    }
}

// A space that reaches past a side wall, overlaps an earlier one or stands on its spot does not
// fit: it has a reason, takes no seats and is no place of the capacity. The default room is 5 m
// wide, spaces start 0.2 m off each wall, rows stand 1.0 m apart (a space is 1.20 m deep).
TEST(WheelchairPositions, SpacesThatDoNotFit) {
    const WheelchairPlace row1Left{1, AisleSide::Left, 0, 0};
    const WheelchairPlace row1Right{1, AisleSide::Right, 0, 0};
    const WheelchairPlace row2Right{2, AisleSide::Right, 0, 0};
    const struct {
        const char* name;
        std::vector<WheelchairPlace> places;
        double width;
        int misfit;  // the index of the first space that does not fit; -1 none
        WheelchairMisfit kind;
        int with;
        const char* reason;
    } cases[] = {
        // Six spaces from the left wall end at 4.2 to 5.0 m, exactly at the other wall.
        {"six at one end", std::vector<WheelchairPlace>(6, row1Left), 5, -1,
         WheelchairMisfit::None, -1, ""},
        {"the seventh past the wall", std::vector<WheelchairPlace>(7, row1Left), 5, 6,
         WheelchairMisfit::OutsideRoom, -1, "não cabe na largura da sala (5.00 m)"},
        {"one in a room too narrow", {row1Right}, 0.9, 0, WheelchairMisfit::OutsideRoom, -1,
         "não cabe na largura da sala (0.90 m)"},
        // Left 1.8-2.6 m, right 2.4-3.2 m.
        {"both ends meet",
         {row1Left, row1Left, row1Left, row1Right, row1Right, row1Right},
         5,
         5,
         WheelchairMisfit::Overlaps,
         2,
         "sobrepõe o espaço 3 (fila 1, esquerda)"},
        // Row 1's space 2.5-3.7 m from the screen, the platform's 3.5-4.7 m.
        {"a platform over a row's space",
         {row1Left, {0, AisleSide::Left, 0.2, 4.7}},
         5,
         1,
         WheelchairMisfit::Overlaps,
         0,
         "sobrepõe o espaço 1 (fila 1, esquerda)"},
        {"a platform just behind it", {row1Left, {0, AisleSide::Left, 0.2, 4.9}}, 5, -1,
         WheelchairMisfit::None, -1, ""},
        // Row 2's floor 0.20 m, its eyes 4.70 m from the screen: the same spot.
        {"a platform on a row's spot",
         {row2Right, {0, AisleSide::Right, 0.2, 4.7}},
         5,
         1,
         WheelchairMisfit::SameSpot,
         0,
         "no mesmo lugar que o espaço 1 (fila 2, direita)"},
        {"both ends of one row", {row2Right, {2, AisleSide::Left, 0, 0}}, 5, -1,
         WheelchairMisfit::None, -1, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const DadosProjeto p = Project([&](DadosProjeto& q) { q.nLargura = c.width; });
        const std::vector<WheelchairPosition> ws = PlaceWheelchairs(p, c.places, 0);
        ASSERT_EQ(ws.size(), c.places.size());
        const WheelchairPosition* first = FirstMisfit(ws);
        if (c.misfit < 0) {
            EXPECT_EQ(first, nullptr);
        } else {
            ASSERT_EQ(first, &ws[static_cast<size_t>(c.misfit)]);
            EXPECT_EQ(first->misfit, c.kind);
            EXPECT_EQ(first->misfitWith, c.with);
            EXPECT_EQ(first->reason, c.reason);
        }
        // Each space that fits is one place of the capacity; one that does not takes no seats.
        AccessibilityInputs in;
        in.wheelchairs = c.places;
        const SightlineAnalysis a = AnalyseSightlines(p, 90, false, 4, 0, in);
        ASSERT_EQ(a.wheelchairs.size(), c.places.size());
        int fit = 0;
        for (const WheelchairPosition& w : a.wheelchairs) {
            fit += w.reason.empty() ? 1 : 0;
            EXPECT_EQ(w.seatsTaken.empty(), w.misfit != WheelchairMisfit::None);
        }
        EXPECT_EQ(fit, std::ssize(c.places) - (c.misfit < 0 ? 0 : 1));
        if (a.accessibility) {
            EXPECT_EQ(a.accessibility->capacity,
                      static_cast<std::int64_t>(*a.seats.total.value) + fit);
        }
    }
}

// The tool refuses more places; any other caller gets the first kMaxWheelchairPlaces.
TEST(WheelchairPositions, AtMostTheCapOfPlaces) {
    const DadosProjeto p = Project();
    std::vector<WheelchairPlace> places(kMaxWheelchairPlaces + 1, {2, AisleSide::Left, 0, 0});
    places.front().row = 1;
    const std::vector<WheelchairPosition> placed = PlaceWheelchairs(p, places, 0);
    ASSERT_EQ(placed.size(), static_cast<size_t>(kMaxWheelchairPlaces));
    EXPECT_EQ(placed.front().place.row, 1);
    places.pop_back();
    EXPECT_EQ(PlaceWheelchairs(p, places, 0).size(), places.size());
}

TEST(InterpreterWindow, ContentAndLegibility) {
    // The default project: the farthest viewer, the outermost seat of row 7 (9.70 m from the
    // screen, 1.95 m off its axis), stands sqrt(9.7^2 + (1.95 + 1.5)^2) = 10.295 m from the
    // image's far edge and reads 10 295 / 200 = 51.5 mm (the last row's eye distance alone, 9.70
    // m, gave 48.5 mm). The content's 4 % of 1.88 m is 75.2 mm whole, and shrinks with the window.
    const double farEdge = std::hypot(9.7, 1.95 + 1.5);
    const struct {
        InterpreterWindow window;
        double scale;
        bool legible;
    } cases[] = {
        {{25, 30}, 0.75, true},   // 56.4 mm
        {{45, 35}, 0.65, false},  // 48.9 mm: legible against 48.5 mm, not against 51.5 mm
        {{50, 40}, 0.60, false},  // 45.1 mm
    };
    for (const auto& c : cases) {
        AccessibilityInputs inputs;
        inputs.interpreter = c.window;
        const SightlineAnalysis a = AnalyseSightlines(Project(), 90, false, 4, 0, inputs);
        ASSERT_TRUE(a.interpreter);
        SCOPED_TRACE(c.window.widthPercent);
        EXPECT_DOUBLE_EQ(a.interpreter->contentScale, c.scale);
        EXPECT_NEAR(*a.interpreter->textHeightMm, 0.04 * 1880 * c.scale, 1e-9);
        // The basic method and the interpreter's check share the one distance.
        EXPECT_NEAR(*a.discas.farthestViewerEdge.value, farEdge, 1e-12);
        EXPECT_NEAR(*a.discas.elementHeightMm.value, farEdge / 200 * 1000, 1e-9);
        EXPECT_NEAR(*a.discas.percentElementHeight.value, farEdge / (1.88 * 200) * 100, 1e-9);
        EXPECT_NEAR(*a.interpreter->smallestLegibleMm, farEdge / 200 * 1000, 1e-9);
        EXPECT_EQ(Num(*a.interpreter->smallestLegibleMm, 1), "51.5");
        EXPECT_EQ(a.interpreter->legible, c.legible);
    }
    // Against a given legible size: 50 % x 40 % keeps 60 %, 45.12 mm < 48.5 mm.
    const InterpreterFigures half = CheckInterpreterWindow({50, 40}, 1.88, 4, 48.5, "");
    EXPECT_DOUBLE_EQ(half.contentScale, 0.6);
    EXPECT_EQ(half.legible, false);
    // No image height, or no farthest viewer: no verdict, with the reason.
    EXPECT_EQ(CheckInterpreterWindow({25, 25}, 0, 4, 48.5, "").reason,
              "a tela pretendida não tem altura");
    const InterpreterFigures noRows =
        CheckInterpreterWindow({25, 25}, 1.88, 4, std::nullopt, "nenhuma fila de assentos");
    EXPECT_FALSE(noRows.legible);
    EXPECT_EQ(noRows.reason, "nenhuma fila de assentos");

    const struct {
        const char* text;
        std::optional<double> w, h;
        bool left;
    } typed[] = {{"25x30", 25, 30, false},
                 {"25%x30%", 25, 30, false},
                 {"12,5X20", 12.5, 20, false},
                 {"25x30:left", 25, 30, true},
                 {"25%x30%:Esquerda", 25, 30, true},
                 {"25x30:right", 25, 30, false},
                 {"25x30:direita", 25, 30, false},
                 {"25x30:up", {}, {}, false},
                 {"25x30:", {}, {}, false},
                 {"0x30", {}, {}, false},
                 {"100x30", {}, {}, false},
                 {"25", {}, {}, false},
                 {"25x", {}, {}, false},
                 {"x30", {}, {}, false}};
    for (const auto& t : typed) {
        const auto window = InterpreterWindowFromText(t.text);
        ASSERT_EQ(window.has_value(), t.w.has_value()) << t.text;
        if (window) {
            EXPECT_DOUBLE_EQ(window->widthPercent, *t.w);
            EXPECT_DOUBLE_EQ(window->heightPercent, *t.h);
            EXPECT_EQ(window->left, t.left) << t.text;
        }
    }
}

}  // namespace
}  // namespace vm
