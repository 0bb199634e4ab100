// The elevations and plans of the report, primitive by primitive. Expected positions are written
// as their derivation from the project's figures; the default project draws at 17 mm per metre
// (170 mm / 10 m), its section from row 95 to 95 + 3.8 x 17 = 159.6, the screen's top at
// 159.6 - 3.6 x 17 = 98.4.

#include "report/report_drawings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "core/dados_projeto.h"
#include "core/win1252.h"
#include "pagefile/recording_canvas.h"
#include "report/report_pages.h"
#include "tests/report/report_test_support.h"

namespace vm::test {
namespace {

RecordingCanvas Report(const DadosProjeto& p) {
    RecordingCanvas canvas;
    BuildReportPages(
        p, canvas, [](int n) { return std::to_string(n); }, "x");
    return canvas;
}

// Index just after the "Linhas de Visão" title, where the elevation starts.
size_t ElevationStart(const RecordedPage& page) {
    const int title = IndexOfText(page, "Linhas de Visão");
    EXPECT_GE(title, 0);
    return static_cast<size_t>(title + 1);
}

size_t PlanStart(const RecordedPage& page) {
    const int title = IndexOfText(page, "Campos de Visão");
    EXPECT_GE(title, 0);
    return static_cast<size_t>(title);
}

const char* const kSuperior =
    "A linha superior de visão dos ocupantes da primeira fileira de assentos está formando um "
    "angulo SUPERIOR a 30º, que é o máximo recomendável para evitar inclinação excessiva da "
    "cabeça destes ocupantes.";
const char* const kInferior =
    "A linha superior de visão dos ocupantes da primeira fileira de assentos está formando um "
    "angulo INFERIOR a 30º, que é o máximo recomendável para evitar inclinação excessiva da "
    "cabeça destes ocupantes.";

// Default project, row k: it rises 0.2 x 17 = 3.4 mm per row; its front edge stands at
// 20 + (3.7 + k) x 17 - 17 = 65.9 + 17k; the eye 0.25 m before its back edge at 78.65 + 17k,
// 1.2 x 17 = 20.4 above its floor: row 139.2 - 3.4k. The figure is (1.2 + 0.15) x 17 = 22.95 high.
double Front(int k) {
    return 65.9 + 17 * k;
}
double EyeCol(int k) {
    return 78.65 + 17 * k;
}
double EyeRow(int k) {
    return 139.2 - 3.4 * k;
}
double RowFloor(int k) {
    return 159.6 - 3.4 * k;
}

std::vector<Primitive> RiserAndFigure(int k) {
    return {Line(RowFloor(k == 0 ? 0 : k - 1), Front(k), RowFloor(k), Front(k), 0.2, kBlack),
            Image("assento", RowFloor(k) - 22.95, Front(k), 22.95, 17)};
}

void Append(std::vector<Primitive>& to, const std::vector<Primitive>& more) {
    to.insert(to.end(), more.begin(), more.end());
}

// Seats of the default project's plans: 7 rows of INT((5 - 0.4) / 0.7) = 6 seats, each
// 0.7 x 17 = 11.9 high, the first 3.4 above the lower wall at 254.6.
std::vector<Primitive> DefaultSeats() {
    std::vector<Primitive> seats;
    for (int k = 0; k < 7; ++k) {
        for (int j = 0; j < 6; ++j) {
            seats.push_back(Image("fila", 254.6 - 11.9 - (11.9 * j + 3.4), Front(k), 11.9, 17));
        }
    }
    return seats;
}

TEST(ReportDrawings, MinimumElevationOfTheDefaultProject) {
    const RecordingCanvas canvas = Report(Project());
    const RecordedPage& page = canvas.Page(0);
    const double g = 9.7 / 4 * 17, a = 9.7 / 6 * 17, f = 9.7 / 8 * 17;  // image heights
    std::vector<Primitive> expected = {
        Rect(95, 20, 159.6, 190, 0.2, kBlack),
        Line(99.4, 21, 158.6, 21, 0.1, kGrey),
        Text(155.6, 23, 6, " 3.60 m", kGrey),
    };
    for (int k = 0; k < 7; ++k) {
        Append(expected, RiserAndFigure(k));
        if (k == 0) {
            // atan2-free check: arcsin(2.4 / sqrt(2.4^2 + 3.7^2)) = 32.97 degrees.
            Append(expected, {Line(99.4, 23, EyeRow(0), EyeCol(0), 0.1, kBlack),
                              Text(98.4, 28, 6, "32.97º / Teto", kBlack)});
        }
        // Three categories on: no floor-to-image height.
        Append(expected, {Rect(99.4, 22, 99.4 + g, 23, 0.2, kBlue),
                          Line(99.4 + g, 23, EyeRow(k), EyeCol(k), 0.1, kBlue),
                          Rect(99.4, 22, 99.4 + a, 23, 0.2, kRed),
                          Line(99.4 + a, 23, EyeRow(k), EyeCol(k), 0.1, kRed),
                          Rect(99.4, 22, 99.4 + f, 23, 0.2, kGreen),
                          Line(99.4 + f, 23, EyeRow(k), EyeCol(k), 0.1, kGreen)});
    }
    const size_t start = ElevationStart(page);
    ExpectPrimitives(page.primitives, start, expected);
    // The plan follows straight after.
    EXPECT_EQ(PlanStart(page), start + expected.size());
}

TEST(ReportDrawings, MinimumPlanOfTheDefaultProject) {
    const RecordingCanvas canvas = Report(Project());
    const RecordedPage& page = canvas.Page(0);
    // Under the elevation: upper wall at 159.6 + 10, lower wall 5 x 17 = 85 further down.
    std::vector<Primitive> expected = {
        Text(165.6, 20, 10, "Campos de Visão", kBlack, true),
        Rect(169.6, 20, 254.6, 190, 0.2, kBlack),
    };
    Append(expected, DefaultSeats());
    struct Category {
        double d, w;  // wall distance and width on paper
        const char* width;
        Color colour;
    };
    for (const Category& c :
         {Category{(5 - 3.88) / 2 * 17, 3.88 * 17, " 3.88m", kBlue},
          Category{(5 - 9.7 / 6 / 10 * 16) / 2 * 17, 9.7 / 6 / 10 * 16 * 17, " 2.59m", kRed},
          Category{(5 - 1.94) / 2 * 17, 1.94 * 17, " 1.94m", kGreen}}) {
        Append(expected, {
                             Rect(169.6 + c.d, 22, 254.6 - c.d, 23, 0.2, c.colour),
                             Line(169.6 + c.d, 23, 169.6, 23 + c.d, 0.1, c.colour),
                             Line(254.6 - c.d, 23, 254.6, 23 + c.d, 0.1, c.colour),
                             Line(169.6 + c.d, 23, 169.6 + c.d, 23 + c.w, 0.1, c.colour),
                             Line(168.6 + c.d, 23 + c.w, 170.6 + c.d, 23 + c.w, 0.1, c.colour),
                             Box(169.6 + c.d, 23, 172.6 + c.d, 20 + c.w, 6, c.width, c.colour,
                                 false, "RIGHT"),
                         });
    }
    // From the wall's centre, 2.5 x 17 = 42.5 down, at 45 degrees to both side walls.
    Append(expected,
           {Line(212.1, 23, 169.6, 65.5, 0.1, kBlack), Line(212.1, 23, 254.6, 65.5, 0.1, kBlack)});
    const size_t start = PlanStart(page);
    ExpectPrimitives(page.primitives, start, expected);
    EXPECT_EQ(page.primitives.size(), start + expected.size()) << "nothing after the plan";
}

TEST(ReportDrawings, PlannedElevationAndPlanOfTheDefaultProject) {
    const RecordingCanvas canvas = Report(Project());
    const RecordedPage& page = canvas.Page(1);
    const double screen = 99.4 + 1.88 * 17;  // the planned image's lower edge
    std::vector<Primitive> expected = {
        Rect(95, 20, 159.6, 190, 0.2, kBlack),
        Line(99.4, 21, 158.6, 21, 0.1, kGrey),
        Text(155.6, 24, 6, " 3.60 m", kGrey),
        Rect(99.4, 22, screen, 23, 0.2, kBlue),
    };
    for (int k = 0; k < 7; ++k) {
        Append(expected, RiserAndFigure(k));
        // Lower edge 3.6 - 1.88 = 1.72 m above the floor, drawn again in every row.
        Append(expected, {Line(159.6 - 1.72 * 17 + 2, 23, 158.6, 23, 0.1, kBlue),
                          Text(149.6, 24, 6, " 1.72 m", kBlue),
                          Line(screen, 23, EyeRow(k), EyeCol(k), 0.1, kBlue)});
        if (k == 0) {
            Append(expected,
                   {Line(99.4, 23, EyeRow(0), EyeCol(0), 0.1, kBlue),
                    Text(98.4, 28, 6, "32.97º / Teto", kBlue), Box(80, 25, 90, 190, 9, kSuperior)});
        }
    }
    // The plan: the screen 1 m from each side wall (17 mm), 3 m wide (51 mm).
    Append(expected,
           {Text(165.6, 20, 10, "Campos de Visão", kBlack, true),
            Rect(169.6, 20, 254.6, 190, 0.2, kBlack), Rect(186.6, 22, 237.6, 23, 0.2, kBlue)});
    Append(expected, DefaultSeats());
    Append(expected,
           {Line(186.6, 23, 169.6, 40, 0.1, kBlue), Line(237.6, 23, 254.6, 40, 0.1, kBlue),
            Text(170.6, 40, 6, "Aceitável", kBlue), Text(235.6, 25, 6, "135º", kBlue),
            Line(212.1, 23, 169.6, 65.5, 0.1, kBlue), Line(212.1, 23, 254.6, 65.5, 0.1, kBlue),
            Text(170.6, 65.5, 6, "Ideal", kBlue), Text(211.1, 26, 6, "90º", kBlue),
            Line(186.6, 23, 186.6, 74, 0.1, kBlue), Line(185.6, 74, 187.6, 74, 0.1, kBlue),
            Box(186.6, 25, 201.6, 74, 6, " 3.00m Distancia mínima para a primeira fila de assentos",
                kBlue, false, "CENTER")});
    const size_t start = ElevationStart(page);
    ExpectPrimitives(page.primitives, start, expected);
    EXPECT_EQ(page.primitives.size(), start + expected.size()) << "nothing after the plan";
}

TEST(ReportDrawings, RoomTwentyByTenByFourKeepsItsPlanOnThePage) {
    // 170 / 20 = 8.5 mm per metre: section 95 to 95 + 34 = 129, plan 139 to 139 + 85 = 224.
    const RecordingCanvas canvas = Report(Project([](DadosProjeto& d) {
        d.nComprimento = 20;
        d.nLargura = 10;
        d.nPeDireito = 4;
    }));
    ASSERT_EQ(canvas.PageCount(), 2);
    for (int i = 0; i < 2; ++i) {
        const RecordedPage& page = canvas.Page(i);
        ExpectPrimitives(page.primitives, ElevationStart(page),
                         {Rect(95, 20, 129, 190, 0.2, kBlack)});
        ExpectPrimitives(page.primitives, PlanStart(page),
                         {Text(135, 20, 10, "Campos de Visão", kBlack, true),
                          Rect(139, 20, 224, 190, 0.2, kBlack)});
    }
}

// A plan reduced to fit its own page: drawn at full size from row 33 (under the title at 26 and
// the note at 30), then brought towards its top-left corner (33, 20) by the factor that puts its
// lower wall on row 281.
struct Reduction {
    double s;
    double R(double row) const { return 33 + (row - 33) * s; }
    double C(double col) const { return 20 + (col - 20) * s; }
};

TEST(ReportDrawings, PlanOnItsOwnPageIsReducedOnlyWhenItWouldPassRow281) {
    // At 10 mm per metre (a room 17 m long) a plan 25 m wide ends on row 30 + 250 = 280 of its
    // own page and keeps its scale; 25.125 m would end on 281.25 and is reduced.
    struct Case {
        double nLargura;
        bool reduced;
    };
    for (const Case& c : {Case{25, false}, Case{25.125, true}}) {
        SCOPED_TRACE(c.nLargura);
        const RecordingCanvas canvas = Report(Project([&](DadosProjeto& d) {
            d.nComprimento = 17;
            d.nLargura = c.nLargura;
        }));
        ASSERT_EQ(canvas.PageCount(), 4);
        const double width = c.nLargura * 10;
        for (int i : {1, 3}) {
            const RecordedPage& page = canvas.Page(i);
            const int note = IndexOfText(page, "Escala reduzida para caber na página");
            if (!c.reduced) {
                EXPECT_EQ(note, -1);
                ExpectPrimitives(page.primitives, PlanStart(page),
                                 {Text(26, 20, 10, "Campos de Visão", kBlack, true),
                                  Rect(30, 20, 30 + width, 190, 0.2, kBlack)});
                continue;
            }
            const Reduction r{(281 - 33) / width};
            ExpectPrimitives(page.primitives, PlanStart(page),
                             {Text(26, 20, 10, "Campos de Visão", kBlack, true),
                              Text(30, 20, 6, "Escala reduzida para caber na página"),
                              Rect(33, 20, 281, r.C(190), 0.2, kBlack)});
        }
    }
}

TEST(ReportDrawings, RoomSixteenByTenHasItsPlansReducedAboutTheirTopLeftCorner) {
    // 16 m wide at 17 mm per metre: 272 mm, from row 33 to 305 at full size.
    const RecordingCanvas canvas = Report(Project([](DadosProjeto& d) { d.nLargura = 16; }));
    ASSERT_EQ(canvas.PageCount(), 4);
    const Reduction r{(281.0 - 33) / 272};
    // The planned screen, 3 m of the 16 m wall: d = (16 - 3) / 2 x 17 = 110.5 from each side wall,
    // w = 3 x 17 = 51; the wall's centre 8 x 17 = 136 down.
    const double d = 110.5, w = 51, nLanca = 136, top = 33, bottom = 305;
    const RecordedPage& page = canvas.Page(3);
    const size_t plan = PlanStart(page);
    ExpectPrimitives(page.primitives, plan,
                     {Text(26, 20, 10, "Campos de Visão", kBlack, true),
                      Text(30, 20, 6, "Escala reduzida para caber na página"),
                      Rect(top, 20, r.R(bottom), r.C(190), 0.2, kBlack),
                      Rect(r.R(top + d), r.C(22), r.R(bottom - d), r.C(23), 0.2, kBlue)});
    // 7 rows of INT((16 - 0.4) / 0.7) = 22 seats, shrunk with the plan and inside its walls.
    const std::vector<Primitive> seats = OfKind(page, PrimitiveKind::Image);
    ASSERT_EQ(seats.size(), 7u * 22u);
    for (const Primitive& seat : seats) {
        EXPECT_NEAR(seat.height, 11.9 * r.s, 1e-9);
        EXPECT_NEAR(*seat.width, 17 * r.s, 1e-9);
        EXPECT_GE(seat.row, top);
        EXPECT_LE(seat.row + seat.height, 281 + 1e-9);
    }
    EXPECT_TRUE(SamePrimitive(seats.front(), Image("fila", r.R(bottom - 11.9 - 3.4), r.C(Front(0)),
                                                   11.9 * r.s, 17 * r.s)))
        << seats.front().Describe();
    ExpectPrimitives(
        page.primitives, plan + 4 + seats.size(),
        {Line(r.R(top + d), r.C(23), top, r.C(23 + d), 0.1, kBlue),
         Line(r.R(bottom - d), r.C(23), r.R(bottom), r.C(23 + d), 0.1, kBlue),
         Text(r.R(top + 1), r.C(23 + d), 6, "Aceitável", kBlue),
         Text(r.R(bottom - d - 2), r.C(25), 6, "135º", kBlue),
         Line(r.R(top + nLanca), r.C(23), top, r.C(23 + nLanca), 0.1, kBlue),
         Line(r.R(top + nLanca), r.C(23), r.R(bottom), r.C(23 + nLanca), 0.1, kBlue),
         Text(r.R(top + 1), r.C(23 + nLanca), 6, "Ideal", kBlue),
         Text(r.R(top + nLanca - 1), r.C(26), 6, "90º", kBlue),
         Line(r.R(top + d), r.C(23), r.R(top + d), r.C(23 + w), 0.1, kBlue),
         Line(r.R(top + d - 1), r.C(23 + w), r.R(top + d + 1), r.C(23 + w), 0.1, kBlue),
         Box(r.R(top + d), r.C(25), r.R(top + 15 + d), r.C(23 + w), 6,
             " 3.00m Distancia mínima para a primeira fila de assentos", kBlue, false, "CENTER")});
    // Page A's plan the same way: title, note, the room's outline.
    ExpectPrimitives(canvas.Page(1).primitives, PlanStart(canvas.Page(1)),
                     {Text(26, 20, 10, "Campos de Visão", kBlack, true),
                      Text(30, 20, 6, "Escala reduzida para caber na página"),
                      Rect(top, 20, 281, r.C(190), 0.2, kBlack)});
}

TEST(ReportDrawings, WithoutRowsThereAreNoFiguresSeatsSightLinesOrAngle) {
    const RecordingCanvas canvas = Report(Project([](DadosProjeto& d) { d.nNumeroFilas = 0; }));
    ASSERT_EQ(canvas.PageCount(), 2);
    for (const RecordedPage& page : canvas.Pages()) {
        EXPECT_EQ(page.Count(PrimitiveKind::Image), 0);
        EXPECT_EQ(page.FindText("Teto"), nullptr);
        // The elevation keeps its section, the grey height line and text (page B: and the
        // screen); the first primitive after them is the plan's title.
        const size_t start = ElevationStart(page);
        EXPECT_EQ(PlanStart(page), start + (&page == &canvas.Page(0) ? 3 : 4));
    }
    // Page B's rows 80 to 90 stay empty.
    for (const Primitive& q : canvas.Page(1).primitives) {
        EXPECT_FALSE(q.row >= 80 && q.row <= 90) << q.Describe();
    }
}

TEST(ReportDrawings, FloorToImageHeightOnlyWhenOneCategoryIsShown) {
    struct Case {
        bool g, a, f;
        Color line;  // colour of the height line; black = none drawn
        Color text;
        const char* height;
    };
    // Lower edges: 3.6 - 9.7 / 4 = 1.175, 3.6 - 9.7 / 6 = 1.98, 3.6 - 9.7 / 8 = 2.3875.
    const std::vector<Case> cases = {
        {true, false, false, kBlue, kBlue, " 1.18 m"},
        {false, true, false, kRed, kRed, " 1.98 m"},
        {false, false, true, kGreen, kBlack, " 2.39 m"},  // video's height text is black
        {true, true, false, kBlack, kBlack, nullptr},
        {true, false, true, kBlack, kBlack, nullptr},
        {false, true, true, kBlack, kBlack, nullptr},
        {true, true, true, kBlack, kBlack, nullptr},
        {false, false, false, kBlack, kBlack, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.g << c.a << c.f);
        const DadosProjeto p = Project([&](DadosProjeto& d) {
            d.nTelaG = c.g;
            d.nTelaA = c.a;
            d.nTelaF = c.f;
        });
        const RecordingCanvas canvas = Report(p);
        const RecordedPage& page = canvas.Page(0);
        int heightTexts = 0, heightLines = 0;
        const double alturaPiso =
            c.g ? p.nAlturaPisoTelaG : (c.a ? p.nAlturaPisoTelaA : p.nAlturaPisoTelaF);
        for (const Primitive& q : page.primitives) {
            if (q.kind == PrimitiveKind::Text && q.row == 149.6 && q.col == 24) {
                ++heightTexts;
                EXPECT_TRUE(SamePrimitive(q, Text(149.6, 24, 6, c.height ? c.height : "", c.text)))
                    << q.Describe();
            }
            if (q.kind == PrimitiveKind::Line && q.toCol == 23 &&
                std::abs(q.toRow - 158.6) < 1e-9) {
                ++heightLines;
                EXPECT_TRUE(
                    SamePrimitive(q, Line(159.6 - alturaPiso * 17 + 2, 23, 158.6, 23, 0.1, c.line)))
                    << q.Describe();
            }
        }
        // Drawn once in each of the 7 rows, or not at all.
        EXPECT_EQ(heightTexts, c.height ? 7 : 0);
        EXPECT_EQ(heightLines, c.height ? 7 : 0);
        // The switched-off categories leave no trace in the drawings; the category lines of
        // the texts are always printed.
        std::set<std::tuple<int, int, int>> colours;
        for (size_t i = ElevationStart(page); i < page.primitives.size(); ++i) {
            const Color& k = page.primitives[i].colour;
            colours.insert({k.red, k.green, k.blue});
        }
        EXPECT_EQ(colours.count({0, 0, 255}), c.g ? 1u : 0u);
        EXPECT_EQ(colours.count({255, 0, 0}), c.a ? 1u : 0u);
        EXPECT_EQ(colours.count({0, 255, 0}), c.f ? 1u : 0u);
        EXPECT_NE(page.FindText("Detalhes"), nullptr);
        EXPECT_NE(page.FindText("Computador"), nullptr);
    }
}

TEST(ReportDrawings, ViewingAngle) {
    EXPECT_NEAR(ViewingAngle(3.6, 1.2, 3.7), 32.969403903462, 1e-9);
    EXPECT_NEAR(ViewingAngle(1.2, 2.2, 1), -45, 1e-9);  // screen top below the eyes
    EXPECT_EQ(ViewingAngle(1.2, 1.2, 0), 0);            // at the screen's top, distance 0
    // Straight up: the ratio comes back from inches a hair above 1 for many heights; the angle is
    // still 90 degrees, never NaN.
    for (double rise : {0.01, 0.02, 0.04, 1.0, 2.4}) {
        EXPECT_NEAR(ViewingAngle(rise, 0, 0), 90, 1e-6) << rise;
    }
}

TEST(ReportDrawings, AngleParagraphSaysSuperiorOnlyAboveThirtyDegrees) {
    struct Case {
        double angle;
        const char* paragraph;
    };
    for (const Case& c : {Case{30, kInferior}, Case{30.004, kSuperior}, Case{29.99, kInferior},
                          Case{-5, kInferior}, Case{60, kSuperior}}) {
        EXPECT_EQ(win1252ToUtf8(AngleParagraph(c.angle)), c.paragraph) << c.angle;
    }
}

TEST(ReportDrawings, AngleThatPrintsAsThirtyChoosesTheParagraphByItsUnroundedValue) {
    struct Case {
        double nDistOlhos1;  // eyes 1 m below the screen's top
        const char* paragraph;
    };
    // 1 / tan(30.004 degrees) = 1.73177...; sqrt(3) a hair longer gives just under 30.
    for (const Case& c :
         {Case{1.7317715886512441, kSuperior}, Case{1.7320508075688776, kInferior}}) {
        const RecordingCanvas canvas = Report(Project([&](DadosProjeto& d) {
            d.nTelaTopo = 3.5;
            d.nAlturaOlhos1 = 2.5;
            d.nDistOlhos1 = c.nDistOlhos1;
        }));
        const Primitive* angle = canvas.Page(1).FindText(utf8ToWin1252("º / Teto"));
        ASSERT_NE(angle, nullptr);
        EXPECT_EQ(Utf8(*angle), "30.00º / Teto");
        EXPECT_NE(IndexOfText(canvas.Page(1), c.paragraph), -1) << c.nDistOlhos1;
    }
}

TEST(ReportDrawings, SeatsPerRow) {
    struct Case {
        double nLargura, nAlturaFila2, nLarguraAssento, seats;
    };
    for (const Case& c : {Case{12, 0.3, 0.5, 22},  // INT(11.4 / 0.5)
                          Case{5, 0.2, 0.7, 6},    // default: INT(4.6 / 0.7)
                          Case{12, 6, 0.5, 0}, Case{12, 7, 0.5, -4}, Case{5, 0.2, 0, 0}}) {
        DadosProjeto p;
        p.nLargura = c.nLargura;
        p.nAlturaFila2 = c.nAlturaFila2;
        p.nLarguraAssento = c.nLarguraAssento;
        EXPECT_EQ(SeatsPerRow(p), c.seats)
            << c.nLargura << " " << c.nAlturaFila2 << " " << c.nLarguraAssento;
    }
    // A 12 m room (on its own page: 12 x 17 = 204 mm) seats 22 in each of its 7 rows, in both
    // plans; a step of 6 m leaves no seats at all.
    const RecordingCanvas wide = Report(Project([](DadosProjeto& d) {
        d.nLargura = 12;
        d.nAlturaFila2 = 0.3;
        d.nLarguraAssento = 0.5;
    }));
    ASSERT_EQ(wide.PageCount(), 4);
    for (int i : {1, 3}) {
        const auto seats = OfKind(wide.Page(i), PrimitiveKind::Image);
        ASSERT_EQ(seats.size(), 22u * 7u);
        // The first seat of the first row: 0.3 m (5.1 mm) above the lower wall at 30 + 204.
        EXPECT_TRUE(SamePrimitive(seats[0], Image("fila", 234 - 8.5 - 5.1, Front(0), 8.5, 17)))
            << seats[0].Describe();
    }
    const RecordingCanvas none = Report(Project([](DadosProjeto& d) {
        d.nLargura = 12;
        d.nAlturaFila2 = 6;
        d.nLarguraAssento = 0.5;
    }));
    for (const RecordedPage& page : none.Pages()) {
        for (const Primitive& q : OfKind(page, PrimitiveKind::Image)) {
            EXPECT_EQ(q.imageName, "assento");
        }
    }
}

TEST(ReportDrawings, ZeroRoomLengthCollapsesTheDrawingsWithoutFailing) {
    const RecordingCanvas canvas = Report(Project([](DadosProjeto& d) { d.nComprimento = 0; }));
    ASSERT_EQ(canvas.PageCount(), 2);
    for (const RecordedPage& page : canvas.Pages()) {
        for (const Primitive& q : page.primitives) {
            EXPECT_TRUE(std::isfinite(q.row) && std::isfinite(q.col) && std::isfinite(q.toRow) &&
                        std::isfinite(q.toCol) && std::isfinite(q.height))
                << q.Describe();
        }
        // Scale 0: the section is a line at row 95, the plan one at row 105 on the same page.
        ExpectPrimitives(page.primitives, ElevationStart(page),
                         {Rect(95, 20, 95, 190, 0.2, kBlack)});
        ExpectPrimitives(page.primitives, PlanStart(page),
                         {Text(101, 20, 10, "Campos de Visão", kBlack, true),
                          Rect(105, 20, 105, 190, 0.2, kBlack)});
        // The angle is taken from metres, not from the drawing.
        ASSERT_NE(page.FindText(utf8ToWin1252("º / Teto")), nullptr);
        EXPECT_EQ(Utf8(*page.FindText(utf8ToWin1252("º / Teto"))), "32.97º / Teto");
    }
}

// Seats wholly off the sheet are skipped; every seat that meets the sheet is drawn, as the full
// loop over all seats would draw it. These plans are reduced to fit their pages, so the sheet's
// edges lie beyond them in the full-size drawing; a negative clearance puts seats beyond the lower
// wall.
TEST(ReportDrawings, SeatsOffTheSheetAreSkippedAndTheOthersDrawnAsTheFullLoopWould) {
    struct Case {
        double nLargura, nLarguraAssento, nAlturaFila2;
    };
    for (const Case& c :
         {Case{30, 0.7, 0.2}, Case{60, 0.45, 0.1}, Case{40, 1.3, -2}, Case{20, 0.5, -6}}) {
        SCOPED_TRACE(c.nLargura);
        const DadosProjeto p = Project([&](DadosProjeto& d) {
            d.nLargura = c.nLargura;
            d.nLarguraAssento = c.nLarguraAssento;
            d.nAlturaFila2 = c.nAlturaFila2;
        });
        const RecordingCanvas canvas = Report(p);
        ASSERT_EQ(canvas.PageCount(), 4);
        const double F = 17, nPisoXX = 33 + c.nLargura * F, a = c.nLarguraAssento * F;
        const Reduction r{(281 - 33) / (c.nLargura * F)};
        std::vector<Primitive> expected;
        int offTheSheet = 0;
        for (int k = 0; k < 7; ++k) {
            for (int j = 0; j < SeatsPerRow(p); ++j) {
                const double row =
                    r.R(nPisoXX - a - (c.nLarguraAssento * j * F + c.nAlturaFila2 * F));
                if (row + a * r.s >= 0 && row <= 297) {
                    expected.push_back(Image("fila", row, r.C(Front(k)), a * r.s, 17 * r.s));
                } else {
                    ++offTheSheet;
                }
            }
        }
        ASSERT_FALSE(expected.empty());
        const auto drawn = OfKind(canvas.Page(1), PrimitiveKind::Image);
        ASSERT_EQ(drawn.size(), expected.size());
        ExpectPrimitives(drawn, 0, expected);
        if (c.nAlturaFila2 == -6) {
            EXPECT_GT(offTheSheet, 0) << "seats 6 m beyond the lower wall leave the sheet";
        }
    }
}

TEST(ReportDrawings, AbsurdCountsFromAnEditedFileAreBounded) {
    // A row count no window or written file can hold: 999 rows are drawn.
    const RecordingCanvas rows = Report(Project([](DadosProjeto& d) { d.nNumeroFilas = 1e12; }));
    int figures = 0;
    for (const Primitive& q : OfKind(rows.Page(0), PrimitiveKind::Image)) {
        figures += q.imageName == "assento";
    }
    EXPECT_EQ(figures, 999);
    // Seats 0.017 micrometres wide on paper, 4.6 million of them in a row, all on the sheet: at
    // most 2000 of a row are drawn.
    const RecordingCanvas seats =
        Report(Project([](DadosProjeto& d) { d.nLarguraAssento = 1e-6; }));
    int drawn = 0;
    for (const Primitive& q : OfKind(seats.Page(0), PrimitiveKind::Image)) {
        drawn += q.imageName == "fila";
    }
    EXPECT_EQ(drawn, 7 * 2000);
    // The largest room the main window accepts: 999 rows of 1 cm seats 1 cm apart, 1 km wide.
    // About 1.2 million seats would meet the sheet; the plan shows the first 20000.
    const RecordingCanvas crowded = Report(Project([](DadosProjeto& d) {
        d.nLargura = 999.99;
        d.nNumeroFilas = 999;
        d.nDistEntreFilas = 0.01;
        d.nLarguraAssento = 0.01;
        d.nAlturaFila2 = 0.01;
    }));
    ASSERT_EQ(crowded.PageCount(), 4);
    for (int i : {1, 3}) {
        EXPECT_EQ(crowded.Page(i).Count(PrimitiveKind::Image), 20000);
    }
}

}  // namespace
}  // namespace vm::test
