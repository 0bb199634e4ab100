// The report's page flow, header and footer, and the texts of pages A and B.

#include "report/report_pages.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "core/dados_projeto.h"
#include "pagefile/forwarding_canvas.h"
#include "pagefile/recording_canvas.h"
#include "tests/report/report_test_support.h"

namespace vm::test {
namespace {

ReportPages Build(const DadosProjeto& p, RecordingCanvas& canvas,
                  std::string_view autoria = "(c) Vistametra") {
    return BuildReportPages(
        p, canvas, [](int n) { return "/tmp/page-" + std::to_string(n) + ".Emf"; }, autoria);
}

std::vector<Primitive> Header(std::string_view projeto, std::string_view pageNumber,
                              std::string_view autoria) {
    return {
        Box(13, 10, 20, 195, 14, "Vistametra", kBlack, true, "CENTER"),
        Text(20, 20, 10, "Projeto :"),
        Text(20, 35, 10, projeto, kBlack, true),
        Text(20, 170, 10, "Data :"),
        Text(20, 180, 10, "05/03/26", kBlack, true),
        Line(285, 10, 285, 200, 0.1, kBlack),
        Box(285, 10, 288, 200, 6, pageNumber, kBlack, false, "CENTER"),
        Box(285, 10, 288, 200, 6, autoria, kBlack, false, "RIGHT"),
    };
}

std::vector<Primitive> RoomData() {
    return {
        Text(30, 20, 9, "Dados da Sala", kBlack, true),
        Text(35, 25, 10, "Comprimento :"),
        Text(35, 62, 10, "m"),
        Text(35, 60, 9, "10.00", kBlack, false, "RIGHT"),
        Text(40, 25, 10, "Largura :"),
        Text(40, 62, 10, "m"),
        Text(40, 60, 9, " 5.00", kBlack, false, "RIGHT"),
        Text(45, 25, 10, "Pe Direito :"),
        Text(45, 62, 10, "m"),
        Text(45, 60, 9, "3.80", kBlack, false, "RIGHT"),
    };
}

std::vector<Primitive> SeatData() {
    return {
        Text(30, 100, 9, "Posição dos Assentos", kBlack, true),
        Text(35, 105, 10, "Distância da tela aos olhos na fila 1 :"),
        Text(35, 182, 10, "m"),
        Text(35, 180, 9, " 3.70", kBlack, false, "RIGHT"),
        Text(40, 105, 10, "Altura do piso aos olhos na fila 1 :"),
        Text(40, 182, 10, "m"),
        Text(40, 180, 9, " 1.20", kBlack, false, "RIGHT"),
        Text(45, 105, 10, "Número de filas de assentos :"),
        Text(45, 180, 9, " 7", kBlack, false, "RIGHT"),
        Text(50, 105, 10, "Distância entre filas :"),
        Text(50, 182, 10, "m"),
        Text(50, 180, 9, " 1.00", kBlack, false, "RIGHT"),
        Text(55, 105, 10, "Largura dos assentos :"),
        Text(55, 182, 10, "m"),
        Text(55, 180, 9, " 0.70", kBlack, false, "RIGHT"),
        Text(60, 105, 10, "Altura do degrau do assento na fila 2 :"),
        Text(60, 182, 10, "m"),
        Text(60, 180, 9, " 0.20", kBlack, false, "RIGHT"),
    };
}

std::vector<Primitive> Join(std::vector<std::vector<Primitive>> parts) {
    std::vector<Primitive> all;
    for (auto& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

TEST(ReportJob, PdfNameAndPathComeFromTheTrimmedProjectName) {
    struct Case {
        const char* projeto;
        const char* nome;
    };
    for (const Case& c :
         {Case{"AUDITORIO_TERREO", "AUDITORIO_TERREO_Calculo_Tela.pdf"},
          Case{"  Sala 2  ", "Sala 2_Calculo_Tela.pdf"}, Case{"", "_Calculo_Tela.pdf"}}) {
        EXPECT_EQ(NomePdf(c.projeto), c.nome) << c.projeto;
        EXPECT_EQ(ArquivoPdf("/home/ana/Vistametra/", c.projeto),
                  std::string("/home/ana/Vistametra/") + c.nome);
    }
    // The name is program text (Windows-1252); the path is the file system's (UTF-8).
    EXPECT_EQ(NomePdf("SAL\xc3O"), "SAL\xc3O_Calculo_Tela.pdf");
    EXPECT_EQ(ArquivoPdf("/home/ana/\xc3\x81rea de Trabalho/", "SAL\xc3O"),
              "/home/ana/\xc3\x81rea de Trabalho/SAL\xc3\x83O_Calculo_Tela.pdf");
}

TEST(ReportPages, DefaultProjectHasTwoNumberedPagesEachWithHeaderAndFooter) {
    const DadosProjeto p = Project([](DadosProjeto& d) { d.cProjeto = "  SALA 2 "; });
    RecordingCanvas canvas;
    const ReportPages pages = Build(p, canvas, "  (c) Vistametra Ltda  ");

    ASSERT_EQ(canvas.PageCount(), 2) << canvas.Dump();
    EXPECT_EQ(pages.nPagina, 2);
    EXPECT_TRUE(pages.complete);
    EXPECT_EQ(pages.pageFiles, (std::vector<std::string>{"/tmp/page-1.Emf", "/tmp/page-2.Emf"}));
    EXPECT_EQ(canvas.DroppedCalls(), 0);
    for (int i = 0; i < 2; ++i) {
        EXPECT_TRUE(canvas.Page(i).ended);
        EXPECT_EQ(canvas.Page(i).fileName, pages.pageFiles[static_cast<size_t>(i)]);
    }
    // The page number is ten characters wide, right-aligned, and centred as a whole.
    ExpectPrimitives(canvas.Page(0).primitives, 0,
                     Header("SALA 2", "         1", "(c) Vistametra Ltda"));
    ExpectPrimitives(canvas.Page(1).primitives, 0,
                     Header("SALA 2", "         2", "(c) Vistametra Ltda"));
}

TEST(ReportPages, PageATextsOfTheDefaultProject) {
    RecordingCanvas canvas;
    Build(Project(), canvas);
    ASSERT_GE(canvas.PageCount(), 1);
    // Farthest eyes 9.7 m = 970 cm; 800 pixels: 970 x 800 / (150 x H x 100) for H = 2.425, 1.616667
    // and 1.2125 gives 21.3, 32.0 and 42.7.
    const std::vector<Primitive> expected = Join({
        RoomData(),
        {
            Text(55, 20, 10, "Tamanhos mínimos para as Imagens", kBlack, true),
            Text(60, 20, 10, "Formato da tela 16:10"),
            Text(65, 20, 10, "Resolução da Imagem pretendida : 1280x 800 pixels."),
            Text(70, 20, 9, "Tamanhos mínimos recomendados"),
            Text(75, 25, 9,
                 "Detalhes  >   L:  3.88 m    A:  2.43 m    D: 180.14\"   /   Fonte minima "
                 "recomendada:  21 pixels.",
                 kBlue),
            Text(80, 25, 9,
                 "Computador >  L:  2.59 m    A:  1.62 m    D: 120.09\"   /   Fonte minima "
                 "recomendada:  32 pixels.",
                 kRed),
            Text(85, 25, 9,
                 "Vídeo  >         L :  1.94 m    A:  1.21 m    D:  90.07\"   /   Fonte minima "
                 "recomendada:  43 pixels.",
                 kGreen),
        },
        SeatData(),
        {Text(91, 20, 10, "Linhas de Visão", kBlack, true)},
    });
    ExpectPrimitives(canvas.Page(0).primitives, 8, expected);
}

TEST(ReportPages, PageBTextsOfTheDefaultProject) {
    RecordingCanvas canvas;
    Build(Project(), canvas);
    ASSERT_EQ(canvas.PageCount(), 2);
    // 970 x 800 / (150 x 1.88 x 100) = 27.5, printed two wide.
    const std::vector<Primitive> expected = Join({
        RoomData(),
        {
            Text(55, 20, 10, "Imagem pretendida", kBlack, true),
            Text(60, 25, 9, "Tamanho >   L:  3.00 m    A:  1.88 m    D: 139.39\""),
            Text(65, 25, 9, "Resolução :  1280 x   800 pixels    Formato : 16:10"),
            Box(70, 25, 80, 190, 9,
                "Nesta configuração, para uma perfeita visualização dos textos, pelos ocupantes "
                "da última fileira de assentos, as apresentações devem usar fontes com no minimo "
                "28 pixels. ( Arial 28 pixels com zoom a 100%. )"),
        },
        SeatData(),
        {Text(91, 20, 10, "Linhas de Visão", kBlack, true)},
    });
    ExpectPrimitives(canvas.Page(1).primitives, 8, expected);
}

TEST(ReportPages, FormatLineFollowsTheAspectCode) {
    struct Case {
        double nAspecto;
        const char* line;  // nullptr: no format line
    };
    for (const Case& c : {Case{1, "Formato da tela 4:3"}, Case{2, "Formato da tela 16:9"},
                          Case{3, "Formato da tela 16:10"}, Case{4, nullptr}, Case{0, nullptr}}) {
        SCOPED_TRACE(c.nAspecto);
        RecordingCanvas canvas;
        Build(Project([&](DadosProjeto& d) { d.nAspecto = c.nAspecto; }), canvas);
        const RecordedPage& pageA = canvas.Page(0);
        const int title = IndexOfText(pageA, "Tamanhos mínimos para as Imagens");
        ASSERT_GE(title, 0);
        const Primitive& next = pageA.primitives[static_cast<size_t>(title) + 1];
        if (c.line) {
            EXPECT_TRUE(SamePrimitive(next, Text(60, 20, 10, c.line))) << next.Describe();
        } else {
            // Straight on to the resolution line; nothing at row 60 of the left column.
            EXPECT_EQ(Utf8(next), "Resolução da Imagem pretendida : 1280x 800 pixels.");
            for (const Primitive& q : pageA.primitives) {
                EXPECT_FALSE(q.kind == PrimitiveKind::Text && q.row == 60 && q.col == 20)
                    << q.Describe();
            }
        }
        EXPECT_EQ(canvas.PageCount(), 2);
    }
}

TEST(ReportPages, FontRule) {
    // 10 m to the first row, 11 rows 1 m apart: the last row's eyes are 2000 cm away; the detail
    // image is 20 / 4 = 5 m high; 2000 x 1080 / (150 x 5 x 100) = 28.8, printed " 29".
    const DadosProjeto p = Project([](DadosProjeto& d) {
        d.nDistOlhos1 = 10;
        d.nDistEntreFilas = 1;
        d.nNumeroFilas = 11;
        d.nImagemAltura = 1080;
    });
    EXPECT_DOUBLE_EQ(DistFonte(p), 2000);
    EXPECT_DOUBLE_EQ(p.nAlturaG, 5);
    EXPECT_DOUBLE_EQ(FonteMinima(p, p.nAlturaG), 28.8);
    EXPECT_EQ(FonteMinima(p, 0), 0);  // an image height of 0 gives 0

    RecordingCanvas canvas;
    Build(p, canvas);
    const Primitive* detail = canvas.Page(0).FindText("Detalhes");
    ASSERT_NE(detail, nullptr);
    EXPECT_NE(Utf8(*detail).find("recomendada:  29 pixels."), std::string::npos) << Utf8(*detail);
}

// A number too wide for its field is printed whole, with its decimals, in the smallest width that
// holds it; a number that fits keeps its field's width.
TEST(ReportPages, NumbersTooWideForTheirFieldArePrintedWhole) {
    struct Case {
        const char* name;
        std::function<void(DadosProjeto&)> edit;
        int page;              // 0 for page A, 1 for page B
        const char* expected;  // a recorded text, whole
    };
    const Case cases[] = {
        // 970 x 800 / (150 x 0.2 x 100) = 258.7: three places where the field has two.
        {"page B font of 259", [](DadosProjeto& d) { d.nTelaAltura = 0.2; }, 1, nullptr},
        {"page B font of 0", [](DadosProjeto& d) { d.nTelaAltura = 0; }, 1, nullptr},
        {"ceiling of 10 m", [](DadosProjeto& d) { d.nPeDireito = 10; }, 0, "10.00"},
        {"ceiling of 9.99 m", [](DadosProjeto& d) { d.nPeDireito = 9.99; }, 0, "9.99"},
        {"100 rows", [](DadosProjeto& d) { d.nNumeroFilas = 100; }, 0, "100"},
        {"99 rows", [](DadosProjeto& d) { d.nNumeroFilas = 99; }, 0, "99"},
        // The first row's eyes 0.7 m above the screen's top, 3.7 m away: -10.71 degrees.
        {"angle below -10",
         [](DadosProjeto& d) {
             d.nTelaTopo = 0.5;
             d.nAlturaOlhos1 = 1.2;
         },
         0, "-10.71º / Teto"},
        {"angle of -9.99",
         [](DadosProjeto& d) {
             d.nTelaTopo = 1.2 - 3.7 * std::tan(9.99 / 57.29577951308232);
             d.nAlturaOlhos1 = 1.2;
         },
         0, "-9.99º / Teto"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingCanvas canvas;
        Build(Project(c.edit), canvas);
        for (const RecordedPage& page : canvas.Pages()) {
            for (const std::string& text : page.Texts()) {
                EXPECT_EQ(text.find('*'), std::string::npos) << text;
            }
        }
        if (c.expected != nullptr) {
            EXPECT_GE(IndexOfText(canvas.Page(c.page), c.expected), 0) << canvas.Dump();
        }
    }
    for (const auto& [nTelaAltura, printed] :
         {std::pair{0.2, "259"}, std::pair{0.0, " 0"}, std::pair{1.88, "28"}}) {
        RecordingCanvas canvas;
        Build(Project([&](DadosProjeto& d) { d.nTelaAltura = nTelaAltura; }), canvas);
        const Primitive* box = canvas.Page(1).FindText("Nesta configura");
        ASSERT_NE(box, nullptr);
        const std::string expected = std::string("no minimo ") + printed + " pixels. ( Arial " +
                                     printed + " pixels com zoom";
        EXPECT_NE(Utf8(*box).find(expected), std::string::npos) << Utf8(*box);
    }
}

// Where the plans land: (nPeDireito + nLargura) x 170 / nComprimento above 176 sends each plan to
// a page of its own.
TEST(ReportPages, PlanMovesToItsOwnPageOnlyWhenItPassesRow281) {
    struct Case {
        const char* name;
        double nComprimento, nLargura, nPeDireito, nTelaTopo;
        int pages;
        std::vector<int> planPages;
    };
    const std::vector<Case> cases = {
        {"default", 10, 5, 3.8, 3.6, 2, {0, 1}},
        {"room 20 x 10 x 4", 20, 10, 4, 3.6, 2, {0, 1}},
        // Scale 2: 95 + 8 + 10 + 168 = 281 exactly, (4 + 84) x 2 = 176.
        {"lower wall at 281", 85, 84, 4, 3.5, 2, {0, 1}},
        {"lower wall at 281.01", 85, 84.005, 4, 3.5, 4, {1, 3}},
        {"very wide room", 10, 30, 3.8, 3.6, 4, {1, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingCanvas canvas;
        const ReportPages pages = Build(Project([&](DadosProjeto& d) {
                                            d.nComprimento = c.nComprimento;
                                            d.nLargura = c.nLargura;
                                            d.nPeDireito = c.nPeDireito;
                                            d.nTelaTopo = c.nTelaTopo;
                                        }),
                                        canvas);
        ASSERT_EQ(canvas.PageCount(), c.pages);
        EXPECT_EQ(pages.nPagina, c.pages);
        EXPECT_EQ(pages.pageFiles.size(), static_cast<size_t>(c.pages));
        std::vector<int> planPages, elevationPages;
        for (int i = 0; i < canvas.PageCount(); ++i) {
            const RecordedPage& page = canvas.Page(i);
            EXPECT_TRUE(page.ended);
            // Every page, also a plan's own, starts with the header and its number.
            ExpectPrimitives(
                page.primitives, 0,
                Header("AUDITORIO_TERREO", "         " + std::to_string(i + 1), "(c) Vistametra"));
            if (IndexOfText(page, "Campos de Visão") >= 0) {
                planPages.push_back(i);
            }
            if (IndexOfText(page, "Linhas de Visão") >= 0) {
                elevationPages.push_back(i);
            }
        }
        EXPECT_EQ(planPages, c.planPages);
        EXPECT_EQ(elevationPages, (c.pages == 2 ? std::vector<int>{0, 1} : std::vector<int>{0, 2}));
        if (c.pages == 4) {
            // On its own page the plan follows the header directly, its upper wall at row 30.
            for (int i : c.planPages) {
                ExpectPrimitives(canvas.Page(i).primitives, 8,
                                 {Text(26, 20, 10, "Campos de Visão", kBlack, true)});
            }
        }
    }
}

// A canvas whose page number `failing` (from 1) cannot be started; it draws on `recorder`.
class FailingStartCanvas final : public ForwardingCanvas {
public:
    FailingStartCanvas(RecordingCanvas& recorder, int failing)
        : ForwardingCanvas(recorder), m_failing(failing) {}
    bool StartPreviewPage(const std::string& fileName) override {
        if (++m_started == m_failing) {
            ForwardingCanvas::EndPreviewPage();
            return false;
        }
        return ForwardingCanvas::StartPreviewPage(fileName);
    }

private:
    int m_failing;
    int m_started = 0;
};

TEST(ReportPages, APageThatCannotStartIsReportedAndTheOthersAreStillDrawn) {
    RecordingCanvas recorder;
    FailingStartCanvas canvas(recorder, 1);
    const ReportPages pages = BuildReportPages(
        Project(), canvas, [](int n) { return std::to_string(n); }, "x");
    EXPECT_FALSE(pages.complete);
    EXPECT_EQ(pages.nPagina, 2);
    EXPECT_EQ(pages.pageFiles, (std::vector<std::string>{"1", "2"}));
    // Page A's drawing went nowhere; page B is whole, numbered 2.
    ASSERT_EQ(recorder.PageCount(), 1);
    EXPECT_GT(recorder.DroppedCalls(), 0);
    ExpectPrimitives(recorder.Page(0).primitives, 0, Header("AUDITORIO_TERREO", "         2", "x"));
}

}  // namespace
}  // namespace vm::test
