// The analysis pages on the recording canvas: one seat patch per seat in its class's colour, the
// grades' colours on the section, the table and the risers, the page numbers.
#include "report/analysis_pages.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

#include "core/dados_projeto.h"
#include "core/win1252.h"
#include "pagefile/recording_canvas.h"
#include "report/report_style.h"
#include "tests/report/report_test_support.h"

namespace vm {
namespace {

using test::StartupProject;

// The hall of the pictures: 20 x 14 m, 15 rows on a flat floor.
void LargeFlatHall(DadosProjeto& p) {
    p.nComprimento = 20;
    p.nLargura = 14;
    p.nPeDireito = 5;
    p.nNumeroFilas = 15;
    p.nDistEntreFilas = 0.95;
    p.nDistOlhos1 = 4;
    p.nLarguraAssento = 0.55;
    p.nAlturaFila2 = 0;
    p.nTelaTopo = 3.8;
    p.nTelaLargura = 4.8;
    p.nTelaAltura = 2.7;
}

int Seats(const RecordedPage& page, SeatClass c) {
    int n = 0;
    for (const Primitive* image : page.OfKind(PrimitiveKind::Image)) {
        n += image->imageName == SeatClassImage(c);
    }
    return n;
}

// The arena of the bench: 400 rows in a room 60 m wide and 420 m long, 85 seats a row.
void Arena(DadosProjeto& p) {
    p.nLargura = 60;
    p.nComprimento = 420;
    p.nPeDireito = 60;
    p.nNumeroFilas = 400;
    p.nDistEntreFilas = 1;
    p.nAlturaFila2 = 0.1;
}

TEST(AnalysisPages, OneSeatPatchPerSeatInItsClass) {
    const std::function<void(DadosProjeto&)> rooms[] = {
        {},
        LargeFlatHall,
        [](DadosProjeto& p) { p.nLargura = 20; },  // 28 seats a row, some outside the fields
        Arena,  // 34,000 seats, beyond the 20,000 the plan once stopped at without a word
    };
    for (size_t room = 0; room < std::size(rooms); ++room) {
        SCOPED_TRACE("room " + std::to_string(room));
        const DadosProjeto p = StartupProject(rooms[room]);
        const SightlineAnalysis a = AnalyseSightlines(p);
        RecordingCanvas canvas;
        const ReportPages pages = BuildAnalysisPages(p, a, canvas, {}, 3, "(c)");
        ASSERT_GE(canvas.PageCount(), 2);
        EXPECT_TRUE(pages.complete);
        EXPECT_EQ(pages.nPagina, 3 + canvas.PageCount() - 1);
        const RecordedPage& plan = canvas.Page(0);
        ASSERT_TRUE(a.seats.total.value);
        EXPECT_EQ(plan.Count(PrimitiveKind::Image), *a.seats.total.value);
        for (SeatClass c : {SeatClass::Ideal, SeatClass::Aceitavel, SeatClass::Fora}) {
            EXPECT_EQ(Seats(plan, c), a.seats.counts[static_cast<int>(c)]) << SeatClassName(c);
        }
    }
    // The wide room really has all three classes.
    const SightlineAnalysis wide = AnalyseSightlines(StartupProject(rooms[2]));
    EXPECT_GT(wide.seats.counts[0], 0);
    EXPECT_GT(wide.seats.counts[1], 0);
    EXPECT_GT(wide.seats.counts[2], 0);
}

// A hall beyond the seats a plan draws: the first ones from the front, and a note on the page
// that says how many are left out and why.
TEST(AnalysisPages, APlanThatLeavesSeatsOutSaysSo) {
    const DadosProjeto p = StartupProject([](DadosProjeto& q) {
        Arena(q);
        q.nLargura = 210;  // 299 seats a row, 119,554 less those under the wheelchair spaces
    });
    const SightlineAnalysis a = AnalyseSightlines(p);
    ASSERT_TRUE(a.seats.total.value);
    ASSERT_GT(*a.seats.total.value, kMaxAnalysisSeats);
    RecordingCanvas canvas;
    BuildAnalysisPages(p, a, canvas, {}, 1, "(c)");
    EXPECT_EQ(canvas.Page(0).Count(PrimitiveKind::Image), kMaxAnalysisSeats);
    EXPECT_NE(canvas.Page(0).FindText(utf8ToWin1252(
                  "Desenhados 100000 dos 119554 assentos, da frente para trás: os 19554 restantes "
                  "deixariam o arquivo grande demais.")),
              nullptr);
    // The arena's plan draws them all and says nothing.
    const DadosProjeto arena = StartupProject(Arena);
    RecordingCanvas all;
    BuildAnalysisPages(arena, AnalyseSightlines(arena), all, {}, 1, "(c)");
    EXPECT_EQ(all.Page(0).FindText(utf8ToWin1252("Desenhados")), nullptr);
}

TEST(AnalysisPages, TheSectionColoursEachRowByItsGrade) {
    const DadosProjeto p = StartupProject(LargeFlatHall);
    const SightlineAnalysis a = AnalyseSightlines(p);
    RecordingCanvas canvas;
    BuildAnalysisPages(p, a, canvas, {}, 1, "(c)");
    const RecordedPage& page = canvas.Page(0);
    // Each row's C-value is written above its eyes in its grade's colour (the flat floor makes
    // every row behind the first "ruim").
    for (const RowFigures& r : a.rows) {
        if (!r.grade) {
            continue;
        }
        const std::string value = std::to_string(static_cast<int>(std::lround(*r.cValueMm.value)));
        bool found = false;
        for (const Primitive* text : page.OfKind(PrimitiveKind::Text)) {
            if (text->text == value && text->fontSize == 5) {
                EXPECT_EQ(text->colour, CGradeColour(*r.grade)) << "row " << r.number;
                found = true;
            }
        }
        EXPECT_TRUE(found) << "row " << r.number << " C " << value;
        EXPECT_EQ(*r.grade, CGrade::Ruim);
    }
}

TEST(AnalysisPages, TableAndRisersFollowThePlan) {
    const DadosProjeto p = StartupProject();
    const SightlineAnalysis a = AnalyseSightlines(p, 120);
    RecordingCanvas canvas;
    const ReportPages pages = BuildAnalysisPages(
        p, a, canvas, [](int n) { return "analise_" + std::to_string(n); }, 3, "(c)");
    ASSERT_EQ(canvas.PageCount(), 2);
    EXPECT_EQ(pages.pageFiles, (std::vector<std::string>{"analise_1", "analise_2"}));
    EXPECT_EQ(canvas.Page(0).fileName, "analise_1");
    // The standard header and the page numbers 3 and 4 in the footers.
    for (int i = 0; i < 2; ++i) {
        EXPECT_NE(canvas.Page(i).FindText("AUDITORIO_TERREO"), nullptr);
        EXPECT_NE(canvas.Page(i).FindText(std::to_string(3 + i)), nullptr);
    }
    const RecordedPage& table = canvas.Page(1);
    EXPECT_NE(table.FindText(utf8ToWin1252("Isóptica para 120 mm")), nullptr);
    // Row 2: 4.70 m, eyes 1.40 m, 25.08 degrees, C 268.1 mm "excelente".
    for (const char* cell : {"4.70", "1.40", "25.08", "268.1", "excelente"}) {
        EXPECT_NE(table.FindText(cell), nullptr) << cell;
    }
    // 120 mm: s = (0.12 x 9.7 - 0.52) / 3.7 = 0.17405 -> 0.175 m.
    const Primitive* constant = table.FindText("Degrau constante");
    ASSERT_NE(constant, nullptr);
    EXPECT_NE(constant->text.find("0.175 m"), std::string::npos) << constant->text;
    EXPECT_NE(table.FindText("Filas abaixo de 120 mm com o degrau do projeto: nenhuma"), nullptr);
}

TEST(AnalysisPages, LongTablesContinueAndEmptyProjectsSaySo) {
    DadosProjeto many = StartupProject([](DadosProjeto& p) {
        p.nNumeroFilas = 120;
        p.nDistEntreFilas = 0.8;
        p.nComprimento = 100;
    });
    RecordingCanvas canvas;
    const ReportPages pages = BuildAnalysisPages(many, AnalyseSightlines(many), canvas, {}, 3, "");
    ASSERT_EQ(canvas.PageCount(), 4);  // drawings, then 51 + 51 + 18 rows
    EXPECT_EQ(pages.nPagina, 6);
    EXPECT_NE(canvas.Page(2).FindText(utf8ToWin1252("Filas e degraus (continuação)")), nullptr);
    EXPECT_NE(canvas.Page(3).FindText("Degrau constante"), nullptr);

    DadosProjeto empty = ProjetoInicial();
    DadosReset(empty);
    RecordingCanvas blank;
    BuildAnalysisPages(empty, AnalyseSightlines(empty), blank, {}, 1, "");
    ASSERT_EQ(blank.PageCount(), 2);
    EXPECT_EQ(blank.Page(0).Count(PrimitiveKind::Image), 0);
    EXPECT_NE(blank.Page(0).FindText("Filas: - (nenhuma fila"), nullptr);
    EXPECT_NE(blank.Page(1).FindText("Degrau constante"), nullptr);
}

}  // namespace
}  // namespace vm
