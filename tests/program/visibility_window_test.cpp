// The window "Visibilidade dos Assentos" opened from the main window's menu, as a user drives it:
// what it draws (through a recording canvas beside its own page canvas), how it follows the
// record, its target C-value and "Salvar".
#include "program/visibility_window.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QSpinBox>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "core/calculo.h"
#include "core/program_values.h"
#include "core/win1252.h"
#include "pagefile/recording_canvas.h"
#include "program/main_window.h"
#include "project/project_file.h"
#include "report/analysis_pages.h"
#include "report/dxf_drawing.h"
#include "report/sightline_analysis.h"
#include "runtime/startup.h"
#include "tests/support/main_window_fixture.h"

namespace {

namespace fs = std::filesystem;
using vm::SeatClass;

class VisibilityWindowTest : public MainWindowFixture {
protected:
    VisibilityWindowTest() : MainWindowFixture("vm-visibilidade") {}
    void SetUp() override {
        MainWindowFixture::SetUp();
        vm::mainWindowProcedures().visibilidade = vm::ShowVisibilityWindow;
        vm::mainWindowProcedures().projetoAlterado = vm::RefreshVisibilityWindow;
        vm::SetVisibilityRecorder(&m_recorder);
        m_tmp = m_dir / "tmp";
        fs::create_directories(m_tmp);
        const char* tmp = std::getenv("TMPDIR");
        m_oldTmp = tmp ? std::optional<std::string>(tmp) : std::nullopt;
        setenv("TMPDIR", m_tmp.c_str(), 1);
        // The window remembers its target in the user's settings: each test starts with none.
        setenv("XDG_CONFIG_HOME", (m_dir / "config").c_str(), 1);
        QSettings(QStringLiteral("Vistametra"), QStringLiteral("vistametra")).clear();
    }
    void TearDown() override {
        if (m_oldTmp) {
            setenv("TMPDIR", m_oldTmp->c_str(), 1);
        } else {
            unsetenv("TMPDIR");
        }
        vm::SetVisibilityRecorder(nullptr);
        MainWindowFixture::TearDown();
    }

    void openWindow() {
        QAction* item = menuAction("&Visibilidade dos Assentos");
        ASSERT_NE(item, nullptr);
        item->trigger();
        ASSERT_NE(vm::VisibilityWindow(), nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(vm::VisibilityWindow()));
    }

    // The last drawing page that the window drew.
    const vm::RecordedPage* lastDrawing() const {
        for (auto it = m_recorder.Pages().rbegin(); it != m_recorder.Pages().rend(); ++it) {
            if (it->FindText(vm::utf8ToWin1252("Corte: linhas de visão")) != nullptr) {
                return &*it;
            }
        }
        return nullptr;
    }

    // The seats of each class on the last drawing, in the order Ideal, Aceitável, Fora.
    std::array<int, 3> drawnSeats() const {
        std::array<int, 3> seats{};
        const vm::RecordedPage* page = lastDrawing();
        if (page == nullptr) {
            ADD_FAILURE() << "the window drew nothing";
            return seats;
        }
        for (const vm::Primitive* image : page->OfKind(vm::PrimitiveKind::Image)) {
            for (SeatClass c : {SeatClass::Ideal, SeatClass::Aceitavel, SeatClass::Fora}) {
                seats[static_cast<size_t>(c)] += image->imageName == vm::SeatClassImage(c);
            }
        }
        return seats;
    }

    // The seats of each class by the analysis of the record.
    static std::array<int, 3> analysedSeats() {
        const vm::SightlineAnalysis a = vm::AnalyseSightlines(vm::projeto());
        return {static_cast<int>(a.seats.counts[0]), static_cast<int>(a.seats.counts[1]),
                static_cast<int>(a.seats.counts[2])};
    }

    // Types into a field of the main window (made active first) and leaves it with Tab.
    void typeInto(const char* control, const char* keys) {
        vm::FormWidget("wmenu")->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(vm::FormWidget("wmenu")));
        ASSERT_TRUE(focusControl("wmenu", control));
        QWidget* field = vm::ControlWidget("wmenu", control);
        QTest::keyClicks(field, keys);
        QTest::keyClick(field, Qt::Key_Tab);
    }

    QString proposal() const {
        return vm::VisibilityWindow()->findChild<QLabel*>("lDegrau")->text();
    }

    fs::path m_tmp;  // TMPDIR while the test runs
    std::optional<std::string> m_oldTmp;
    vm::RecordingCanvas m_recorder;
};

TEST_F(VisibilityWindowTest, TheMenuOpensOneWindowThatLeavesTheMainWindowFree) {
    runWindow([&] {
        // A third drop-down between "&Arquivo" and "&Help".
        QStringList popups;
        for (QAction* action : vm::FormWidget("wmenu")->findChild<QMenuBar*>()->actions()) {
            popups << action->text();
        }
        EXPECT_EQ(popups, (QStringList{"&Arquivo", QString::fromUtf8("A&nálise"), "&Help"}));

        EXPECT_EQ(vm::VisibilityWindow(), nullptr);
        openWindow();
        QWidget* window = vm::VisibilityWindow();
        EXPECT_EQ(window->windowTitle(), "Visibilidade dos Assentos");
        EXPECT_EQ(window->windowModality(), Qt::NonModal);
        EXPECT_TRUE(vm::FormWidget("wmenu")->isEnabled());
        EXPECT_EQ(drawnSeats(), analysedSeats());
        // The default room: 6 seats in 7 rows, all Ideal, less seats 1-2 of row 1 under the
        // hall's wheelchair space.
        EXPECT_EQ(drawnSeats()[0], 42 - 2);
        EXPECT_TRUE(proposal().contains("0.096 m")) << proposal().toStdString();
        EXPECT_TRUE(proposal().contains("0.200 m"));

        // A second pick brings the same window forward.
        const int pages = m_recorder.PageCount();
        menuAction("&Visibilidade dos Assentos")->trigger();
        EXPECT_EQ(vm::VisibilityWindow(), window);
        EXPECT_EQ(m_recorder.PageCount(), pages);
        int windows = 0;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            windows += w->objectName() == "wVisibilidade" && w->isVisible();
        }
        EXPECT_EQ(windows, 1);

        // Its pages live in memory: nothing is left in the temporary folder to clean up.
        EXPECT_TRUE(fs::is_empty(m_tmp));

        // Closed, it stops drawing; opened again, it draws the record anew.
        window->close();
        VM_TRY_TRUE(vm::VisibilityWindow() == nullptr);
        vm::RefreshVisibilityWindow();
        EXPECT_EQ(m_recorder.PageCount(), pages);
        openWindow();
        EXPECT_GT(m_recorder.PageCount(), pages);
    });
}

TEST_F(VisibilityWindowTest, ItFollowsTheRecordAfterEditsNovoAndAbrir) {
    runWindow([&] {
        openWindow();
        const std::array<int, 3> before = drawnSeats();

        // A room 20 m wide: 28 seats a row, some of them in each field.
        typeInto("nLargurat", "20");
        ASSERT_EQ(vm::projeto().nLargura, 20);
        const std::array<int, 3> wide = drawnSeats();
        EXPECT_NE(wide, before);
        EXPECT_EQ(wide, analysedSeats());
        EXPECT_GT(wide[0], 0);
        EXPECT_GT(wide[1], 0);
        EXPECT_GT(wide[2], 0);
        // Less row 1's seats 1-3 and 26-28 under the hall's four wheelchair spaces.
        EXPECT_EQ(wide[0] + wide[1] + wide[2], 28 * 7 - 6);

        // Novo empties the project and the window with it.
        menuAction("&Novo")->trigger();
        EXPECT_EQ(drawnSeats(), (std::array<int, 3>{0, 0, 0}));
        ASSERT_NE(lastDrawing(), nullptr);
        EXPECT_NE(lastDrawing()->FindText("Filas: - (nenhuma fila"), nullptr);
        EXPECT_TRUE(proposal().contains("Degrau constante: -")) << proposal().toStdString();

        // Abrir: 15 rows in a hall 14 m wide with 0.5 m seats.
        vm::DadosProjeto hall = vm::ProjetoInicial();
        hall.cProjeto = vm::utf8ToWin1252("SALA DE REUNIÃO");
        hall.nNumeroFilas = 15;
        hall.nLargura = 14;
        hall.nLarguraAssento = 0.5;
        const std::string file = (m_dir / "sala.qtv").string();
        ASSERT_TRUE(vm::MemoWrit(file, vm::TextoProjeto(hall)));
        m_dialogs.fileAnswers.push_back(file);
        menuAction("&Abrir")->trigger();
        ASSERT_EQ(vm::projeto().nNumeroFilas, 15);
        const std::array<int, 3> opened = drawnSeats();
        EXPECT_EQ(opened, analysedSeats());
        // INT((14 - 0.4) / 0.5) = 27 a row, less row 1's seats 1-7 and 21-27 under the hall's
        // eight wheelchair spaces (391 + 8 = 399 places ask 2 % = 7.98 -> 8).
        EXPECT_EQ(opened[0] + opened[1] + opened[2], 15 * 27 - 14);
        EXPECT_NE(lastDrawing()->FindText(vm::utf8ToWin1252("SALA DE REUNIÃO")), nullptr);
    });
}

TEST_F(VisibilityWindowTest, TargetPresetsAnyValueAndSalvar) {
    runWindow([&] {
        openWindow();
        auto* target = vm::VisibilityWindow()->findChild<QComboBox*>("cAlvoC");
        ASSERT_NE(target, nullptr);
        EXPECT_EQ(target->currentText(), "90");
        ASSERT_EQ(target->count(), 3);
        EXPECT_EQ(target->itemText(0), "60");
        EXPECT_EQ(target->itemText(2), "120");

        // Presets: (0.06 x 9.7 - 0.52) / 3.7 -> 0.017 m; (0.12 x 9.7 - 0.52) / 3.7 -> 0.175 m.
        target->setCurrentIndex(0);
        EXPECT_TRUE(proposal().contains("0.017 m")) << proposal().toStdString();
        target->setCurrentIndex(2);
        EXPECT_TRUE(proposal().contains("0.175 m")) << proposal().toStdString();
        EXPECT_NE(m_recorder.FindText(vm::utf8ToWin1252("Isóptica para 120 mm")), nullptr);

        // Any value, typed with a decimal comma: (0.1005 x 9.7 - 0.52) / 3.7 -> 0.123 m.
        target->lineEdit()->setFocus();
        VM_TRY_TRUE(target->lineEdit()->hasFocus());
        target->lineEdit()->selectAll();
        QTest::keyClicks(target->lineEdit(), "100,5");
        QTest::keyClick(target->lineEdit(), Qt::Key_Return);
        EXPECT_TRUE(proposal().contains("0.123 m")) << proposal().toStdString();

        // Salvar as PDF: the pages the window shows, the table among them.
        const fs::path folder = m_dir / "Área de Trabalho";
        fs::create_directories(folder);
        // File dialogs answer in the program's Windows-1252.
        const auto answer = [&](const fs::path& file) {
            m_dialogs.fileAnswers.push_back(file.string());
        };
        answer(folder / "visibilidade.pdf");
        QTest::mouseClick(vm::VisibilityWindow()->findChild<QPushButton*>("bSalvar"),
                          Qt::LeftButton);
        ASSERT_TRUE(fs::exists(folder / "visibilidade.pdf"));
        const std::string text = (m_dir / "text.txt").string();
        ASSERT_EQ(std::system(("pdftotext -q -layout '" + (folder / "visibilidade.pdf").string() +
                               "' '" + text + "'")
                                  .c_str()),
                  0);
        const std::string words = vm::MemoRead(text);  // pdftotext writes UTF-8
        EXPECT_NE(words.find("Visibilidade dos Assentos"), std::string::npos);
        EXPECT_NE(words.find("Isóptica para 100.5 mm"), std::string::npos);
        EXPECT_NE(words.find("268.1"), std::string::npos);

        // PNG: one file a page; a name without a known extension is saved as PDF.
        answer(folder / "vis.png");
        QTest::mouseClick(vm::VisibilityWindow()->findChild<QPushButton*>("bSalvar"),
                          Qt::LeftButton);
        EXPECT_TRUE(fs::exists(folder / "vis_0001.png"));
        EXPECT_TRUE(fs::exists(folder / "vis_0002.png"));
        answer(folder / "semextensao");
        QTest::mouseClick(vm::VisibilityWindow()->findChild<QPushButton*>("bSalvar"),
                          Qt::LeftButton);
        EXPECT_TRUE(fs::exists(folder / "semextensao.pdf"));
        // DXF: the section and the plan of the record as drawn.
        answer(folder / "sala.dxf");
        QTest::mouseClick(vm::VisibilityWindow()->findChild<QPushButton*>("bSalvar"),
                          Qt::LeftButton);
        vm::DadosProjeto calculated = vm::projeto();
        vm::Calculo(calculated);
        EXPECT_EQ(vm::MemoRead((folder / "sala.dxf").string()),
                  vm::DxfDrawing(calculated, vm::AnalyseSightlines(calculated, 100.5)));
        EXPECT_EQ(m_dialogs.shown.back().file.filters.back().pattern, "*.dxf");
        EXPECT_TRUE(m_dialogs.messageLog().empty());

        // A folder that does not exist: the failure is said.
        answer(m_dir / "nao" / "existe.pdf");
        QTest::mouseClick(vm::VisibilityWindow()->findChild<QPushButton*>("bSalvar"),
                          Qt::LeftButton);
        ASSERT_EQ(m_dialogs.messageLog().size(), 1u);
        EXPECT_EQ(m_dialogs.shown.back().purpose, "MsgStop");
    });
}

TEST_F(VisibilityWindowTest, AssentosAlternadosGradesTheRowsByC2) {
    runWindow([&] {
        vm::projeto().nAlturaFila2 = 0;  // a flat floor: row 7 sees 53.6 mm, C2 107.2 mm
        vm::TelaRefresh();
        openWindow();
        auto* staggered = vm::VisibilityWindow()->findChild<QCheckBox*>("kAlternados");
        ASSERT_NE(staggered, nullptr);
        EXPECT_EQ(staggered->text(), "Assentos alternados");
        EXPECT_FALSE(staggered->isChecked());
        EXPECT_EQ(m_recorder.FindText("C2 107: bom"), nullptr);
        // 90 mm over the row in front: (0.09 x 9.7 - 0.52) / 3.7 -> 0.096 m.
        EXPECT_TRUE(proposal().contains("0.096 m")) << proposal().toStdString();
        QTest::mouseClick(staggered, Qt::LeftButton, {}, QPoint(5, staggered->height() / 2));
        EXPECT_TRUE(staggered->isChecked());
        EXPECT_NE(m_recorder.FindText("C2 107: bom"), nullptr);
        EXPECT_NE(m_recorder.FindText(vm::utf8ToWin1252("sem fila duas à frente")), nullptr);
        // By C2 over the row two ahead the level floor already gives 90 mm (row 7: 1.04 / 9.7 =
        // 107.2 mm): (0.09 x 9.7 - 2 x 0.52) / 7.4 < 0, and Aplicar keeps the floor level.
        EXPECT_TRUE(proposal().contains("0.000 m (piso plano basta)")) << proposal().toStdString();
        QTest::mouseClick(vm::VisibilityWindow()->findChild<QPushButton*>("bAplicar"),
                          Qt::LeftButton);
        EXPECT_EQ(vm::projeto().nAlturaFila2, 0);
        // The pages say what the rows are measured by.
        EXPECT_NE(m_recorder.FindText(vm::utf8ToWin1252(
                      "Filas abaixo de 90 mm (C2) com o degrau do projeto: nenhuma")),
                  nullptr);
        EXPECT_NE(m_recorder.FindText(vm::utf8ToWin1252("Isóptica para 90 mm (C2)")), nullptr);
        // Salvar as DXF draws the staggered design, as the pages do.
        m_dialogs.fileAnswers.push_back((m_dir / "alternados.dxf").string());
        QTest::mouseClick(vm::VisibilityWindow()->findChild<QPushButton*>("bSalvar"),
                          Qt::LeftButton);
        vm::DadosProjeto calculated = vm::projeto();
        vm::Calculo(calculated);
        const std::string saved = vm::MemoRead((m_dir / "alternados.dxf").string());
        EXPECT_EQ(saved, vm::DxfDrawing(calculated, vm::AnalyseSightlines(calculated, 90, true)));
        EXPECT_NE(saved, vm::DxfDrawing(calculated, vm::AnalyseSightlines(calculated, 90)));
    });
}

TEST_F(VisibilityWindowTest, TheTargetBoxRefusesWhatIsNotOneTo300Millimetres) {
    runWindow([&] {
        openWindow();
        auto* target = vm::VisibilityWindow()->findChild<QComboBox*>("cAlvoC");
        const auto type = [&](const char* keys) {
            target->lineEdit()->setFocus();
            VM_TRY_TRUE(target->lineEdit()->hasFocus());
            target->lineEdit()->selectAll();
            if (*keys == 0) {
                QTest::keyClick(target->lineEdit(), Qt::Key_Delete);
            }
            QTest::keyClicks(target->lineEdit(), keys);
            QTest::keyClick(target->lineEdit(), Qt::Key_Return);
        };
        // Refused: the box goes back to the last target, the proposal stays, a message says why.
        for (const char* keys : {"9999", "0", "0,5", "300,5", ""}) {
            SCOPED_TRACE(keys);
            const size_t messages = m_dialogs.messageLog().size();
            type(keys);
            EXPECT_EQ(target->currentText(), "90");
            EXPECT_TRUE(proposal().contains("0.096 m")) << proposal().toStdString();
            ASSERT_EQ(m_dialogs.messageLog().size(), messages + 1);
            EXPECT_NE(m_dialogs.messageLog().back().find("1 a 300 mm"), std::string::npos);
        }
        // The bounds are targets: 1 mm is met by a level floor, 300 mm needs
        // (0.3 x 9.7 - 0.52) / 3.7 = 0.64595 -> 0.646 m.
        const size_t messages = m_dialogs.messageLog().size();
        type("1");
        EXPECT_TRUE(proposal().contains("0.000 m (piso plano basta)")) << proposal().toStdString();
        // A typed "12" is 12 mm (not completed to the preset 120): (0.012 x 9.7 - 0.52) / 3.7 < 0.
        type("12");
        EXPECT_EQ(target->currentText(), "12");
        EXPECT_TRUE(proposal().contains("0.000 m (piso plano basta)")) << proposal().toStdString();
        type("300");
        EXPECT_TRUE(proposal().contains("0.646 m")) << proposal().toStdString();
        EXPECT_EQ(m_dialogs.messageLog().size(), messages);
    });
}

TEST_F(VisibilityWindowTest, AplicarAoProjetoPutsTheStepIntoTheFieldAndTheTargetIsRemembered) {
    runWindow([&] {
        openWindow();
        auto* target = vm::VisibilityWindow()->findChild<QComboBox*>("cAlvoC");
        auto* apply = vm::VisibilityWindow()->findChild<QPushButton*>("bAplicar");
        ASSERT_NE(apply, nullptr);
        EXPECT_EQ(apply->text(), "Aplicar ao projeto");

        // 120 mm: (0.12 x 9.7 - 0.52) / 3.7 -> 0.175 m, into the field, which holds centimetres,
        // as 0.18 m (up, so that every row keeps the target), and from the field the record.
        target->setCurrentIndex(2);
        QTest::mouseClick(apply, Qt::LeftButton);
        EXPECT_EQ(vm::GetProperty("wmenu", "nAlturaFila2t", "value").number(), 0.18);
        EXPECT_EQ(vm::projeto().nAlturaFila2, 0.18);
        // The main window's warnings follow it: the last row's eyes now 1.2 + 6 x 0.18 up.
        EXPECT_EQ(vm::GetProperty("wmenu", "cAvisos", "value").text(),
                  vm::utf8ToWin1252("2 avisos: A base da imagem pretendida (1.72 m do piso) fica "
                                    "abaixo dos olhos da última fila (2.28 m)."));
        // The window follows the record.
        EXPECT_TRUE(proposal().contains("degrau do projeto 0.180 m")) << proposal().toStdString();
        EXPECT_EQ(vm::AnalyseSightlines(vm::projeto(), 120).risers.rowsBelowTarget,
                  std::vector<int>{});
        // 60 mm: 0.017 m goes in as 0.02 m; a whole centimetre stays as it is (1 mm: 0.000 m).
        target->setCurrentIndex(0);
        QTest::mouseClick(apply, Qt::LeftButton);
        EXPECT_EQ(vm::projeto().nAlturaFila2, 0.02);
        target->setCurrentIndex(2);

        // Without rows there is nothing to apply.
        menuAction("&Novo")->trigger();
        EXPECT_FALSE(apply->isEnabled());

        // Closed and opened again (as in the next run), the window starts from 120 mm.
        vm::VisibilityWindow()->close();
        VM_TRY_TRUE(vm::VisibilityWindow() == nullptr);
        openWindow();
        target = vm::VisibilityWindow()->findChild<QComboBox*>("cAlvoC");
        EXPECT_EQ(target->currentText(), "120");
        EXPECT_EQ(QSettings(QStringLiteral("Vistametra"), QStringLiteral("vistametra"))
                      .value("visibilidade/valorC")
                      .toString(),
                  "120");
    });
}

}  // namespace

namespace {

// "Aplicar ao projeto" never lifts a row's eyes within 0.12 m of the ceiling: the default project
// (ceiling 3.80 m, eyes of row 1 at 1.20 m, 7 rows).
TEST_F(VisibilityWindowTest, AplicarAoProjetoKeepsTheEyesClearOfTheCeiling) {
    runWindow([&] {
        openWindow();
        auto* target = vm::VisibilityWindow()->findChild<QComboBox*>("cAlvoC");
        auto* apply = vm::VisibilityWindow()->findChild<QPushButton*>("bAplicar");
        ASSERT_NE(apply, nullptr);
        const auto type = [&](const char* keys) {
            target->lineEdit()->setFocus();
            VM_TRY_TRUE(target->lineEdit()->hasFocus());
            target->lineEdit()->selectAll();
            QTest::keyClicks(target->lineEdit(), keys);
            QTest::keyClick(target->lineEdit(), Qt::Key_Return);
        };
        const std::string warningsBefore = vm::GetProperty("wmenu", "cAvisos", "value").text();

        // 300 mm asks for 0.646 m, 0.65 m in the field: row 5's eyes at 1.2 + 4 x 0.65 = 3.80 m.
        type("300");
        ASSERT_TRUE(proposal().contains("0.646 m")) << proposal().toStdString();
        QTest::mouseClick(apply, Qt::LeftButton);
        ASSERT_EQ(m_dialogs.messageLog().size(), 1u);
        EXPECT_EQ(m_dialogs.shown.back().purpose, "MsgStop");
        EXPECT_EQ(
            m_dialogs.shown.back().message.text,
            vm::utf8ToWin1252("Aplicar ao projeto: com o degrau de 0.65 m, os olhos da fila 5 "
                              "ficariam a 3.80 m do piso, a menos de 0.12 m do pé-direito "
                              "(3.80 m). O degrau do projeto continua 0.20 m."));
        // Nothing changed: the record, the field and the warnings.
        EXPECT_EQ(vm::projeto().nAlturaFila2, 0.2);
        EXPECT_EQ(vm::GetProperty("wmenu", "nAlturaFila2t", "value").number(), 0.2);
        EXPECT_EQ(vm::GetProperty("wmenu", "cAvisos", "value").text(), warningsBefore);

        // 120 mm asks for 0.18 m: row 7's eyes at 2.28 m. Under a 2.39 m ceiling that is refused
        // (0.11 m of room); under 2.40 m, exactly 0.12 m, it goes in.
        type("120");
        vm::projeto().nPeDireito = 2.39;
        QTest::mouseClick(apply, Qt::LeftButton);
        ASSERT_EQ(m_dialogs.messageLog().size(), 2u);
        EXPECT_NE(m_dialogs.shown.back().message.text.find("os olhos da fila 7 ficariam a 2.28 m"),
                  std::string::npos)
            << m_dialogs.shown.back().message.text;
        EXPECT_EQ(vm::projeto().nAlturaFila2, 0.2);
        vm::projeto().nPeDireito = 2.4;
        QTest::mouseClick(apply, Qt::LeftButton);
        EXPECT_EQ(m_dialogs.messageLog().size(), 2u);
        EXPECT_EQ(vm::projeto().nAlturaFila2, 0.18);

        // A step typed that lifts the last row to the ceiling: that warning comes first on the
        // main window's line, before the image's bottom below the last row's eyes and row 1
        // nearer than DISCAS's closest viewer.
        vm::projeto().nPeDireito = 3.8;
        vm::SetAlturaFila2(0.44);
        EXPECT_EQ(vm::GetProperty("wmenu", "cAvisos", "value").text(),
                  vm::utf8ToWin1252("3 avisos: Os 6 degraus de 0.44 m (2.64 m ao todo) erguem os "
                                    "olhos da última fila a 3.84 m: sem espaço para a cabeça sob "
                                    "o pé-direito (3.80 m)."));
    });
}

TEST_F(VisibilityWindowTest, DiscasElementAndRiserBlocks) {
    runWindow([&] {
        openWindow();
        auto* blocks = vm::VisibilityWindow()->findChild<QComboBox*>("cBlocos");
        auto* element = vm::VisibilityWindow()->findChild<QComboBox*>("cElemento");
        ASSERT_NE(blocks, nullptr);
        ASSERT_NE(element, nullptr);
        EXPECT_EQ(element->currentText(), "4");
        EXPECT_EQ(blocks->currentText(), "melhor");
        // The plan shows DISCAS's viewing area with the seats outside it.
        EXPECT_NE(m_recorder.FindText(vm::utf8ToWin1252(
                      "Área de visão DISCAS (AVIXA V202.01:2016, até 60° da normal à borda oposta "
                      "da imagem): 0 assentos fora")),
                  nullptr);
        blocks->setCurrentIndex(1);
        EXPECT_NE(m_recorder.FindText(vm::utf8ToWin1252(
                      "Degraus em blocos para 90 mm: blocos de 3: degraus de 0.000 a 0.057 m; "
                      "elevação total 0.198 m, 3.60 m livres até o teto")),
                  nullptr);
        const auto discas = [](const char* share, const char* height, const char* verdict) {
            return vm::utf8ToWin1252(
                std::string("DISCAS (AVIXA V202.01:2016): FV até a borda oposta da imagem 10.30 "
                            "m; menor elemento ") +
                share + " % da altura (regra FV / 200): altura mínima " + height + " m, " +
                verdict);
        };
        EXPECT_NE(m_recorder.FindText(discas("4", "1.29", "a tela basta.")), nullptr);
        element->setCurrentIndex(0);  // 2 %: FV_edge / 4 = 2.57 m, more than 1.88 m
        EXPECT_NE(m_recorder.FindText(discas("2", "2.57", "a tela não basta.")), nullptr);
    });
}

// In a room 0.90 m wide a space 0.20 m off a wall reaches past the other one: a row chosen for
// the spaces is refused with a box and the choice goes back; the default space has no figures.
TEST_F(VisibilityWindowTest, WheelchairSpacesThatDoNotFitAreRefused) {
    runWindow([&] {
        vm::projeto().nLargura = 0.9;
        vm::TelaRefresh();
        openWindow();
        auto* row = vm::VisibilityWindow()->findChild<QComboBox*>("cCadeiraFila");
        auto* side = vm::VisibilityWindow()->findChild<QComboBox*>("cCadeiraLado");
        ASSERT_TRUE(row && side);
        EXPECT_TRUE(m_dialogs.messageLog().empty());
        EXPECT_NE(m_recorder.FindText(vm::utf8ToWin1252(
                      "fila 1, esquerda (padrão): - (não cabe na largura da sala (0.90 m))")),
                  nullptr);
        row->setCurrentIndex(3);
        ASSERT_EQ(m_dialogs.messageLog().size(), 1u);
        EXPECT_EQ(m_dialogs.shown.back().purpose, "MsgStop");
        EXPECT_NE(m_dialogs.messageLog()[0].find(vm::utf8ToWin1252(
                      "Espaço para cadeira de rodas na fila 3, esquerda: não cabe na largura da "
                      "sala (0.90 m).")),
                  std::string::npos)
            << m_dialogs.messageLog()[0];
        EXPECT_EQ(row->currentIndex(), 0);
        side->setCurrentIndex(2);
        ASSERT_EQ(m_dialogs.messageLog().size(), 2u);
        EXPECT_EQ(side->currentIndex(), 0);

        // Wide enough for one space at the right end of row 3 (0.10 to 0.90 m of 1.10 m).
        vm::projeto().nLargura = 1.1;
        vm::RefreshVisibilityWindow();
        row->setCurrentIndex(3);
        side->setCurrentIndex(2);
        EXPECT_EQ(m_dialogs.messageLog().size(), 2u);
        EXPECT_EQ(row->currentIndex(), 3);
        EXPECT_EQ(side->currentIndex(), 2);
    });
}

TEST_F(VisibilityWindowTest, WheelchairRowAndTheInterpretersWindow) {
    runWindow([&] {
        openWindow();
        auto* row = vm::VisibilityWindow()->findChild<QComboBox*>("cCadeiraFila");
        auto* side = vm::VisibilityWindow()->findChild<QComboBox*>("cCadeiraLado");
        auto* interpreter = vm::VisibilityWindow()->findChild<QCheckBox*>("kInterprete");
        auto* width = vm::VisibilityWindow()->findChild<QSpinBox*>("nInterpreteLargura");
        auto* height = vm::VisibilityWindow()->findChild<QSpinBox*>("nInterpreteAltura");
        ASSERT_TRUE(row && side && interpreter && width && height);
        // "padrão" and the default project's 7 rows; the hall's one space in row 1, too close
        // for 30 degrees to the image's top (4.24 m needed at 3.70 m).
        EXPECT_EQ(row->count(), 1 + 7);
        EXPECT_EQ(row->currentText(), QString::fromUtf8("padrão"));
        EXPECT_NE(m_recorder.FindText(vm::utf8ToWin1252(
                      "fila 1, esquerda (padrão): olhos a 1.15 m, 3.70 m da tela; 30°: mínimo "
                      "4.24 m, NÃO atende")),
                  nullptr);
        row->setCurrentIndex(2);
        side->setCurrentIndex(2);
        EXPECT_NE(m_recorder.FindText(vm::utf8ToWin1252(
                      "fila 2, direita: olhos a 1.35 m, 4.70 m da tela; 30°: mínimo 3.90 m, "
                      "atende; fila da frente: 1, C 229 mm, passa sobre a cabeça")),
                  nullptr);
        // Fewer rows: a row the project no longer has goes back to "padrão".
        vm::projeto().nNumeroFilas = 1;
        vm::RefreshVisibilityWindow();
        EXPECT_EQ(row->count(), 2);
        EXPECT_EQ(row->currentIndex(), 0);

        EXPECT_FALSE(width->isEnabled());
        QTest::mouseClick(interpreter, Qt::LeftButton, {}, QPoint(5, interpreter->height() / 2));
        EXPECT_TRUE(width->isEnabled());
        // 25 % x 25 %: the content keeps 75 %; one row at 3.70 m, its outermost seat 1.95 m off
        // the axis, reads sqrt(3.7^2 + 3.45^2) / 200 = 25.3 mm at the image's far edge.
        EXPECT_NE(m_recorder.FindText(vm::utf8ToWin1252(
                      "Janela do intérprete de Libras 25 % x 25 % da imagem, no canto inferior "
                      "direito: o "
                      "conteúdo fica com "
                      "75 % do tamanho; menor elemento 56.4 mm contra 25.3 mm legíveis (regra "
                      "FV_borda / 200): legível")),
                  nullptr);
        width->setValue(90);
        height->setValue(90);  // 10 %: 7.5 mm
        EXPECT_NE(m_recorder.FindText(vm::utf8ToWin1252(
                      "7.5 mm contra 25.3 mm legíveis (regra FV_borda / 200): AVISO: texto menor")),
                  nullptr);

        // The corner: on the plan the window starts at the screen's end towards the upper wall
        // (the image's right as the audience sees it), or at its end towards the lower wall.
        auto* corner = vm::VisibilityWindow()->findChild<QComboBox*>("cInterpreteCanto");
        ASSERT_NE(corner, nullptr);
        EXPECT_TRUE(corner->isEnabled());
        EXPECT_EQ(corner->currentText(), QString::fromUtf8("direito"));
        const auto planLine = [this](vm::Color colour) -> const vm::Primitive* {
            const vm::Primitive* lowest = nullptr;
            for (const vm::Primitive* line : lastDrawing()->OfKind(vm::PrimitiveKind::Line)) {
                if (line->colour == colour && line->col == line->toCol &&
                    (lowest == nullptr || line->row > lowest->row)) {
                    lowest = line;
                }
            }
            return lowest;
        };
        const vm::Color interpreterColour{200, 100, 0};
        const vm::Primitive* screen = planLine({0, 0, 255});
        const vm::Primitive* right = planLine(interpreterColour);
        ASSERT_TRUE(screen && right);
        EXPECT_NEAR(right->row, screen->row, 1e-9);
        // 90 % of the 3 m image's width from its right end: 2.7 of its 3 m.
        EXPECT_NEAR((right->toRow - right->row) / (screen->toRow - screen->row), 0.9, 1e-9);
        corner->setCurrentIndex(1);
        EXPECT_NE(m_recorder.FindText(vm::utf8ToWin1252(
                      "90 % x 90 % da imagem, no canto inferior esquerdo: o conteúdo fica com")),
                  nullptr);
        const vm::Primitive* left = planLine(interpreterColour);
        ASSERT_NE(left, nullptr);
        EXPECT_NEAR(left->row, screen->toRow, 1e-9);
        EXPECT_NEAR((left->row - left->toRow) / (screen->toRow - screen->row), 0.9, 1e-9);
    });
}

// The plan in the window draws DISCAS's viewing area (up to 60 degrees off the normal to the
// image's far edge) and follows the room: the default room (5 x 10 m, a 3 m image) is closed by
// the side walls, its edges meeting them (2.5 + 1.5) / tan 60° = 2.31 m from the screen: five
// sides; a 40 m wide room's edges reach the back wall first: three sides.
TEST_F(VisibilityWindowTest, ThePlanShowsTheViewingArea) {
    runWindow([&] {
        openWindow();
        const auto areaLines = [this] {
            int lines = 0;
            for (const vm::Primitive* line : lastDrawing()->OfKind(vm::PrimitiveKind::Line)) {
                lines += line->colour == vm::Color{150, 0, 200};
            }
            return lines;
        };
        EXPECT_EQ(areaLines(), 5);
        typeInto("nLargurat", "40");
        EXPECT_EQ(vm::projeto().nLargura, 40);
        EXPECT_EQ(areaLines(), 3);
        EXPECT_NE(lastDrawing()->FindText(vm::utf8ToWin1252("Área de visão DISCAS")), nullptr);
    });
}

}  // namespace

namespace {

// However small the screen, the window lies within its available area.
TEST_F(VisibilityWindowTest, TheWindowFitsTheScreen) {
    runWindow([&] {
        openWindow();
        const QRect area = vm::VisibilityWindow()->screen()->availableGeometry();
        EXPECT_TRUE(area.contains(vm::VisibilityWindow()->geometry()))
            << area.width() << "x" << area.height() << " holds " << vm::VisibilityWindow()->width()
            << "x" << vm::VisibilityWindow()->height();
    });
}

}  // namespace
