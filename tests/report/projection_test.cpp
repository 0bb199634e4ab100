// The projector and LED figures against hand computations: lumens by category, gain and ambient
// light; throw ranges; heads in the beam for a low and a high lens; the rows behind the lens that
// have the projector in view; LED resolution, tiles, acuity distance and rows; and the inputs'
// limits.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/dados_projeto.h"
#include "report/projection.h"
#include "report/projection_output.h"
#include "tests/report/report_test_support.h"

namespace vm {
namespace {

using test::Project;

ProjectionFigures Figures(const ProjectionInputs& in,
                          const std::function<void(DadosProjeto&)>& edit = {}) {
    const DadosProjeto p = Project(edit);
    return ComputeProjection(p, AnalyseSightlines(p), in);
}

TEST(Projection, LumensByCategoryGainAndAmbientLight) {
    // The default planned image, 3.00 x 1.88 m = 5.64 m², a standard lens, ageing 0.75:
    // L = C x E x 5.64 / (G x 0.75), worked out by hand.
    struct Case {
        double contrast, gain, lux, lumens;
    };
    const Case cases[] = {
        {7, 1, 50, 2632},      {7, 1.5, 100, 3509.333}, {7, 0.8, 300, 19740},
        {15, 1, 100, 11280},   {15, 1.5, 300, 22560},   {15, 0.8, 50, 7050},
        {50, 1, 300, 112800},  {50, 1.5, 50, 12533.333}, {50, 0.8, 100, 47000},
        {80, 1, 50, 30080},    {80, 1.5, 100, 40106.667}, {80, 0.8, 300, 225600},
    };
    for (const Case& c : cases) {
        ProjectionInputs in;
        in.ambientLux = c.lux;
        in.contrast = c.contrast;
        in.gain = c.gain;
        const ProjectionFigures f = Figures(in);
        ASSERT_EQ(f.images.size(), 4u);
        EXPECT_EQ(f.images[0].key, "planned");
        ASSERT_TRUE(f.images[0].lumens.value);
        EXPECT_NEAR(*f.images[0].lumens.value, c.lumens, 0.001)
            << c.contrast << ":1, gain " << c.gain << ", " << c.lux << " lx";
        // The physically exact figure puts C - 1 in place of C.
        EXPECT_NEAR(*f.images[0].lumensExact.value, c.lumens * (c.contrast - 1) / c.contrast,
                    0.01);
        // The four categories for the planned image, whatever the chosen contrast.
        ASSERT_EQ(f.categories.size(), 4u);
        for (const CategoryBrightness& k : f.categories) {
            EXPECT_NEAR(*k.lumens.value, c.lumens * k.category->contrast / c.contrast, 0.01);
        }
    }
    // The minimum image for details, 3.88 x 2.425 m, at 15:1 and 100 lx: 18 818 lm.
    ProjectionInputs in;
    in.ambientLux = 100;
    const ProjectionFigures f = Figures(in);
    EXPECT_EQ(f.images[1].key, "G");
    EXPECT_NEAR(*f.images[1].lumens.value, 15 * 100 * 3.88 * 2.425 / 0.75, 1e-6);
    EXPECT_EQ(Lumens(*f.images[1].lumens.value), "18 818");
    EXPECT_EQ(Lumens(11280), "11 280");
    EXPECT_EQ(Lumens(999.6), "1 000");
    // A short-throw lens (0.8) needs a quarter more.
    in.lensDerating = kShortLongLensDerating;
    EXPECT_NEAR(*Figures(in).images[0].lumens.value, 14100, 1e-6);
    // Without the ambient light there is no figure, and the reason says why.
    const ProjectionFigures none = Figures({});
    EXPECT_TRUE(none.images.empty());
    EXPECT_FALSE(none.brightnessReason.empty());
}

TEST(Projection, CategoryOfAContrastRatio) {
    const std::pair<double, const char*> cases[] = {
        {6.9, nullptr}, {7, "passive"}, {14.9, "passive"}, {15, "basic"},
        {49.9, "basic"}, {50, "analytical"}, {80, "video"}, {500, "video"}};
    for (const auto& [contrast, key] : cases) {
        const ViewingCategory* c = CategoryOfContrast(contrast);
        EXPECT_EQ(c ? std::string(c->key) : std::string("-"), key ? key : "-") << contrast;
    }
}

TEST(Projection, ThrowRanges) {
    struct Case {
        double width, trMin, trMax, from, to;
    };
    const Case cases[] = {
        {3.0, 1.5, 2.0, 4.5, 6.0}, {3.0, 0.8, 0.8, 2.4, 2.4}, {4.0, 1.2, 1.8, 4.8, 7.2}};
    for (const Case& c : cases) {
        ProjectionInputs in;
        in.throwRatioMin = c.trMin;
        in.throwRatioMax = c.trMax;
        const ProjectionFigures f = Figures(in, [&](DadosProjeto& p) { p.nTelaLargura = c.width; });
        ASSERT_TRUE(f.throwFigures) << f.throwReason;
        EXPECT_NEAR(*f.throwFigures->distanceMin.value, c.from, 1e-9);
        EXPECT_NEAR(*f.throwFigures->distanceMax.value, c.to, 1e-9);
        EXPECT_NEAR(*f.throwFigures->lensDistance.value, c.from, 1e-9);
    }
    EXPECT_FALSE(Figures({}).throwFigures);
}

TEST(Projection, HeadsInTheBeam) {
    // Default rows: eyes at 3.7 + k m, 1.2 + 0.2 k m high; heads 0.12 m above; image bottom 1.72 m.
    // A lens 1.0 m above the floor at 6.0 m: the beam's lower edge falls from 1.72 m at the screen
    // to 1.0 m, 1.276 m over row 1 (head 1.32), 1.156 m over row 2 (1.52), 1.036 m over row 3
    // (1.72); row 4 sits behind the lens.
    ProjectionInputs low;
    low.throwRatioMin = 2.0;
    low.lensHeight = 1.0;
    const ProjectionFigures f = Figures(low);
    ASSERT_TRUE(f.throwFigures);
    ASSERT_TRUE(f.throwFigures->rowsInBeam);
    EXPECT_EQ(*f.throwFigures->rowsInBeam, (std::vector<int>{1, 2, 3}));
    ASSERT_EQ(f.throwFigures->beamRows.size(), 3u);
    EXPECT_NEAR(f.throwFigures->beamRows[0].beamLowerEdge, 1.72 - 0.72 * 3.7 / 6, 1e-9);
    EXPECT_TRUE(f.throwFigures->warnings.empty());

    // Level with the image's top (offset 1) at 4.5 m: 3.27 m over row 1, far above every head.
    ProjectionInputs high;
    high.throwRatioMin = 1.5;
    high.throwRatioMax = 2.0;
    const ProjectionFigures g = Figures(high);
    EXPECT_NEAR(*g.throwFigures->lensHeight.value, 3.6, 1e-9);
    EXPECT_EQ(*g.throwFigures->rowsInBeam, std::vector<int>{});
    // Halfway down the image (offset 0.5) the lens is at 2.66 m: still clear.
    high.lensOffset = 0.5;
    EXPECT_NEAR(*Figures(high).throwFigures->lensHeight.value, 2.66, 1e-9);
    EXPECT_EQ(*Figures(high).throwFigures->rowsInBeam, std::vector<int>{});
}

TEST(Projection, RowsBehindTheLensThatSeeTheProjector) {
    // A lens at 6.0 m (throw ratio 2 x 3.0 m); its body 0.25 m high. Behind it, at 6.0 m, the
    // sight lines to the image's bottom (1.72 m) and top (3.60 m) edges pass, worked out by hand:
    //   row 4 (6.7 m, eyes 1.8 m): 1.792 to 1.988 m   row 5 (7.7 m, 2.0 m): 1.938 to 2.353 m
    //   row 6 (8.7 m, 2.2 m):      2.051 to 2.634 m   row 7 (9.7 m, 2.4 m): 2.141 to 2.858 m
    struct Case {
        double lensHeight;
        std::vector<int> seeing;
        std::vector<int> inBeam;
    };
    const Case cases[] = {
        {3.2, {}, {}},      // body 3.075-3.325: above every row's view
        {2.5, {6, 7}, {}},  // 2.375-2.625: in the upper rows' view
        {1.9, {4, 5}, {}},  // 1.775-2.025: in the view of the rows just behind
        {1.5, {}, {3}},     // 1.375-1.625: below every view; row 3's head (1.72) in the beam
    };
    for (const Case& c : cases) {
        ProjectionInputs in;
        in.throwRatioMin = 2.0;
        in.lensHeight = c.lensHeight;
        const ProjectionFigures f = Figures(in);
        ASSERT_TRUE(f.throwFigures);
        ASSERT_TRUE(f.throwFigures->rowsSeeingProjector);
        EXPECT_EQ(*f.throwFigures->rowsSeeingProjector, c.seeing) << c.lensHeight;
        EXPECT_EQ(*f.throwFigures->rowsInBeam, c.inBeam) << c.lensHeight;
        ASSERT_EQ(f.throwFigures->viewRows.size(), 4u);
        EXPECT_EQ(f.throwFigures->viewRows[0].row, 4);
        EXPECT_NEAR(f.throwFigures->viewRows[1].viewBottom, 2.0 - 0.28 * 1.7 / 7.7, 1e-9);
        EXPECT_NEAR(f.throwFigures->viewRows[1].viewTop, 2.0 + 1.6 * 1.7 / 7.7, 1e-9);
    }
    // A band that only touches the body does not count; the lens must stand between the screen
    // and the eyes.
    EXPECT_FALSE(SeesProjector(8, 2, 4, 1.5 - kProjectorBodyHeight / 2, 1, 2));  // band 1.5-2.0
    EXPECT_TRUE(SeesProjector(8, 2, 4, 1.5 - kProjectorBodyHeight / 2 + 0.001, 1, 2));
    EXPECT_FALSE(SeesProjector(4, 2, 4, 2, 1, 3));
    EXPECT_FALSE(SeesProjector(3, 2, 4, 2, 1, 3));
    // Without rows there is no list, and the rows' reason goes with it.
    ProjectionInputs in;
    in.throwRatioMin = 2.0;
    EXPECT_FALSE(
        Figures(in, [](DadosProjeto& p) { p.nNumeroFilas = 0; }).throwFigures->rowsSeeingProjector);
}

TEST(Projection, LensOutsideTheRoomIsAWarning) {
    ProjectionInputs in;
    in.throwRatioMin = 4;  // 12 m in a 10 m room
    in.lensHeight = 4.0;   // above a 3.8 m ceiling
    const ProjectionFigures f = Figures(in);
    ASSERT_EQ(f.throwFigures->warnings.size(), 2u);
    EXPECT_NE(f.throwFigures->warnings[0].find("parede do fundo"), std::string::npos);
    EXPECT_NE(f.throwFigures->warnings[1].find("acima do teto"), std::string::npos);
    in.throwDistance = 9.0;  // outside the lens's 12 m
    EXPECT_NE(Figures(in).throwFigures->warnings[0].find("fora da faixa"), std::string::npos);
}

TEST(Projection, LedWall) {
    // A 3.2 x 1.8 m wall of 0.5 x 0.5 m tiles; rows at 3.7 to 9.7 m.
    struct Case {
        double pitch;
        double across, down;
        double acuity;
        std::vector<int> closer;
    };
    const Case cases[] = {
        {1.2, 2666, 1500, 4.1256, {1}},
        {2.5, 1280, 720, 8.595, {1, 2, 3, 4, 5}},
        {3.9, 820, 461, 13.4082, {1, 2, 3, 4, 5, 6, 7}},
    };
    for (const Case& c : cases) {
        ProjectionInputs in;
        in.ledPitchMm = c.pitch;
        in.ledTileWidth = 0.5;
        in.ledTileHeight = 0.5;
        const ProjectionFigures f = Figures(in, [](DadosProjeto& p) {
            p.nTelaLargura = 3.2;
            p.nTelaAltura = 1.8;
        });
        ASSERT_TRUE(f.led) << f.ledReason;
        const LedFigures& l = *f.led;
        EXPECT_EQ(*l.pixelsAcross.value, c.across) << c.pitch;
        EXPECT_EQ(*l.pixelsDown.value, c.down) << c.pitch;
        EXPECT_EQ(*l.tilesAcross.value, 6);
        EXPECT_EQ(*l.tilesDown.value, 3);
        EXPECT_NEAR(*l.remainderAcross.value, 0.2, 1e-9);
        EXPECT_NEAR(*l.remainderDown.value, 0.3, 1e-9);
        EXPECT_NEAR(l.acuityDistance, c.acuity, 1e-9);
        EXPECT_EQ(*l.rowsCloser, c.closer) << c.pitch;
        // The first row at 3.7 m needs 1.08 mm or finer.
        EXPECT_NEAR(*l.largestPitchFirstRowMm.value, 3.7 / 3.438, 1e-12);
    }
    // Tiles that fit exactly leave nothing over, whatever the binary sums say.
    ProjectionInputs in;
    in.ledPitchMm = 2.5;
    in.ledTileWidth = 0.6;
    in.ledTileHeight = 0.47;
    const ProjectionFigures f = Figures(in);  // 3.0 x 1.88 m
    EXPECT_EQ(*f.led->tilesAcross.value, 5);
    EXPECT_EQ(*f.led->remainderAcross.value, 0);
    EXPECT_EQ(*f.led->tilesDown.value, 4);
    EXPECT_EQ(*f.led->remainderDown.value, 0);
    // Without a tile there are no tiles, with a reason.
    in.ledTileWidth.reset();
    in.ledTileHeight.reset();
    EXPECT_FALSE(Figures(in).led->tilesAcross.value);
}

TEST(Projection, InputsOutsideTheirLimitsAreNamed) {
    const std::pair<std::function<void(ProjectionInputs&)>, const char*> cases[] = {
        {[](ProjectionInputs& in) { in.ambientLux = -5; }, "Iluminação ambiente"},
        {[](ProjectionInputs& in) { in.gain = 0; }, "Ganho da tela"},
        {[](ProjectionInputs& in) { in.throwRatioMin = 0; }, "Razão de projeção"},
        {[](ProjectionInputs& in) {
             in.throwRatioMin = 2;
             in.throwRatioMax = 1.5;
         },
         "Razão de projeção"},
        {[](ProjectionInputs& in) { in.ledPitchMm = 0; }, "Pitch do LED"},
        {[](ProjectionInputs& in) { in.contrast = 1; }, "Contraste"},
    };
    for (const auto& [edit, label] : cases) {
        ProjectionInputs in;
        edit(in);
        const std::string why = CheckProjectionInputs(in);
        EXPECT_EQ(why.rfind(label, 0), 0u) << why;
    }
    ProjectionInputs fine;
    fine.ambientLux = 0;
    fine.throwRatioMin = fine.throwRatioMax = 1.2;
    EXPECT_EQ(CheckProjectionInputs(fine), "");
    EXPECT_EQ(ProjectionNumberFromText("1,5"), 1.5);
    EXPECT_FALSE(ProjectionNumberFromText("1e3"));
    EXPECT_FALSE(ProjectionNumberFromText(""));
}

}  // namespace
}  // namespace vm
