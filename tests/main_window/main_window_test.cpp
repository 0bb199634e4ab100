// The main window driven as a user drives it: keystrokes, clicks, menus and scripted dialogs.
#include "ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QRadioButton>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "core/calculo.h"
#include "core/program_values.h"
#include "core/result_line.h"
#include "core/startup.h"
#include "core/text.h"
#include "core/win1252.h"
#include "project/project_file.h"
#include "runtime/process.h"
#include "ui_test_support.h"

namespace {

namespace fs = std::filesystem;

std::string text(const char* control) {
    return vm::GetProperty("wmenu", control, "value").text();
}

double number(const char* control) {
    return vm::GetProperty("wmenu", control, "value").number();
}

QString shown(const char* control) {
    if (auto* edit = qobject_cast<QLineEdit*>(vm::ControlWidget("wmenu", control))) {
        return edit->text();
    }
    return {};
}

// The action of a menu item by its caption ("&Novo").
QAction* menuAction(const QString& caption) {
    for (QAction* action : vm::FormWidget("wmenu")->findChildren<QAction*>()) {
        if (action->text() == caption) {
            return action;
        }
    }
    return nullptr;
}

class MainWindowTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        std::string pattern = (fs::temp_directory_path() / "vm-wmenu-XXXXXX").string();
        m_dir = mkdtemp(pattern.data());
        vm::IniciarSemJanela();
        vm::programValues().DirPdf = m_dir.string() + "/";
        vm::mainWindowProcedures() = {};
        vm::mainWindowProcedures().reportCalculo = [this] { ++m_reports; };
    }
    void TearDown() override {
        UiTest::TearDown();
        fs::remove_all(m_dir);
    }

    // Builds "wmenu" as start-up does, activates it and runs `body` once its on-init procedure
    // (the update check, then TelaRefresh) has run.
    void runWindow(const std::function<void()>& body) {
        bool initRan = false;
        vm::mainWindowProcedures().update = [&](bool manual) { initRan = !manual; };
        vm::DefinirJanelaPrincipal();
        bool ran = false;
        const auto runBody = [&] {
            ran = true;
            try {
                if (!QTest::qWaitFor([&] { return initRan; }, 5000)) {
                    ADD_FAILURE() << "the on-init procedure never ran";
                } else if (QTest::qWaitForWindowActive(vm::FormWidget("wmenu"))) {
                    body();
                } else {
                    ADD_FAILURE() << "wmenu never became active";
                }
            } catch (const vm::ProcessEnded&) {
                ADD_FAILURE() << "a fatal error ended the program";
            }
            if (vm::IsWindowActive("wmenu")) {
                vm::ReleaseAllWindows();
            }
        };
        // Activation processes the events pending before its on-init procedure runs; the body
        // is queued from there so that it runs in the window's own event loop, after on-init.
        QTimer::singleShot(0, [&] { QTimer::singleShot(0, runBody); });
        vm::DoMethod("wmenu", "activate");
        EXPECT_TRUE(ran);
    }

    // Types into a field and leaves it with Tab.
    void typeInto(const char* control, const char* keys) {
        ASSERT_TRUE(focusControl("wmenu", control));
        QTest::keyClicks(vm::ControlWidget("wmenu", control), keys);
        QTest::keyClick(vm::ControlWidget("wmenu", control), Qt::Key_Tab);
    }

    fs::path m_dir;
    int m_reports = 0;
};

const char* const kDetail = "L:  3.88 m    A:  2.43 m    D: 180.14\"";

TEST_F(MainWindowTest, StartUpShowsTheDefaultProjectWithFocusOnTheFormat) {
    runWindow([&] {
        EXPECT_EQ(text("cProjetot"), "AUDITORIO_TERREO");
        EXPECT_EQ(vm::GetProperty("wmenu", "cdatat", "value").date(), vm::Today());
        EXPECT_EQ(number("nComprimentot"), 10);
        EXPECT_EQ(shown("nComprimentot").trimmed(), "10.00");
        EXPECT_EQ(number("nImagemLargurat"), 1280);
        EXPECT_EQ(number("nAspectot"), 3);
        EXPECT_EQ(text("cTelaDetalhe"), kDetail);
        EXPECT_EQ(text("cTelaComputer"), "L:  2.59 m    A:  1.62 m    D: 120.09\"");
        EXPECT_EQ(text("cTelaVideo"), "L:  1.94 m    A:  1.21 m    D:  90.07\"");
        // The first write to the format choice selected "16:10", which took the focus.
        EXPECT_EQ(QApplication::focusWidget(), vm::ControlWidget("wmenu", "nAspectot", 3));
        EXPECT_EQ(vm::FormWidget("wmenu")->windowTitle(), "Vistametra");
    });
}

TEST_F(MainWindowTest, EditsReachTheProjectButResultLinesWaitForTheFormat) {
    runWindow([&] {
        typeInto("nNumeroFilast", "13");
        EXPECT_EQ(vm::projeto().nNumeroFilas, 13);
        EXPECT_EQ(text("cTelaDetalhe"), kDetail);  // stale until the format changes

        // 16:9 recomputes heights from widths and the results from the new rows.
        QTest::mouseClick(vm::ControlWidget("wmenu", "nAspectot", 2), Qt::LeftButton);
        VM_TRY_TRUE(number("nAspectot") == 2.0);
        EXPECT_NEAR(number("nTelaAlturat"), 1.69, 1e-9);  // 3.00 / 16 * 9 = 1.6875
        EXPECT_NEAR(vm::projeto().nTelaAltura, 1.69, 1e-9);
        EXPECT_EQ(number("nImagemAlturat"), 720);
        const double farthest = 12 * 1.0 + 3.7;
        EXPECT_EQ(text("cTelaDetalhe"),
                  vm::LinhaResultado(farthest / 4 / 9 * 16, farthest / 4,
                                     vm::TamTela(farthest / 4 / 9 * 16, farthest / 4)));
    });
}

TEST_F(MainWindowTest, ScreenWidthFillsTheHeightRoundedToItsField) {
    runWindow([&] {
        ASSERT_TRUE(focusControl("wmenu", "nTelaLargurat"));
        QWidget* field = vm::ControlWidget("wmenu", "nTelaLargurat");
        QTest::keyClicks(field, "3");  // "3.00" -> 16:10 gives 1.875
        QTest::keyClick(field, Qt::Key_Tab);
        EXPECT_EQ(shown("nTelaAlturat").trimmed(), "1.88");
        EXPECT_EQ(vm::projeto().nTelaAltura, 1.88);
        EXPECT_NEAR(vm::projeto().nTelaTamanho, vm::TamTela(3, 1.88), 1e-12);
    });
}

TEST_F(MainWindowTest, CategoryBoxesHideAndShowTheirLines) {
    runWindow([&] {
        QWidget* red = vm::ControlWidget("wmenu", "cTelaComputer");
        auto* box = qobject_cast<QCheckBox*>(vm::ControlWidget("wmenu", "TelaAt"));
        ASSERT_NE(box, nullptr);
        EXPECT_TRUE(red->isVisible());
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
        VM_TRY_TRUE(!red->isVisible());
        EXPECT_FALSE(vm::projeto().nTelaA);
        EXPECT_TRUE(vm::ControlWidget("wmenu", "cTelaDetalhe")->isVisible());
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
        VM_TRY_TRUE(red->isVisible());
    });
}

TEST_F(MainWindowTest, NovoEmptiesTheInputsAndKeepsTheResults) {
    runWindow([&] {
        menuAction("&Novo")->trigger();
        EXPECT_EQ(text("cProjetot"), "");
        EXPECT_EQ(number("nComprimentot"), 0);
        EXPECT_EQ(number("nImagemLargurat"), 0);
        EXPECT_EQ(number("nAspectot"), 3);
        EXPECT_EQ(vm::projeto().cTelaFormato, "16:10");
        EXPECT_EQ(text("cTelaDetalhe"), kDetail);
    });
}

TEST_F(MainWindowTest, AbrirAppliesOnlyTheFirstDifferingCategoryFlag) {
    vm::DadosProjeto saved = vm::ProjetoInicial();
    saved.cProjeto = "SALA";
    saved.nTelaG = false;
    saved.nTelaA = false;
    saved.nTelaF = false;
    saved.nComprimento = 20;
    const std::string file = (m_dir / "SALA_Calculo_Tela.qtv").string();
    ASSERT_TRUE(vm::MemoWrit(file, vm::TextoProjeto(saved)));
    m_dialogs.fileAnswers.push_back(file);
    runWindow([&] {
        menuAction("&Abrir")->trigger();
        ASSERT_EQ(m_dialogs.shown.size(), 1u);
        EXPECT_EQ(m_dialogs.shown[0].purpose, "GetFile");
        EXPECT_EQ(m_dialogs.shown[0].file.title, vm::utf8ToWin1252("Arquivo de Cálculo"));
        EXPECT_EQ(m_dialogs.shown[0].file.initialFolder, m_dir.string() + "/");
        EXPECT_EQ(text("cProjetot"), "SALA");
        EXPECT_EQ(number("nComprimentot"), 20);
        EXPECT_FALSE(vm::projeto().nTelaG);
        EXPECT_TRUE(vm::projeto().nTelaA);
        EXPECT_TRUE(vm::projeto().nTelaF);
        EXPECT_FALSE(vm::ControlWidget("wmenu", "cTelaDetalhe")->isVisible());
        EXPECT_EQ(text("cTelaDetalhe"), kDetail);  // the results are those of before
    });
}

TEST_F(MainWindowTest, AbrirWithAnotherFormatRecomputesHeights) {
    vm::DadosProjeto saved = vm::ProjetoInicial();
    saved.nAspecto = 1;
    saved.nTelaLargura = 4;
    saved.nTelaAltura = 1;
    saved.nImagemLargura = 1024;
    saved.nImagemAltura = 1;
    const std::string file = (m_dir / "x.qtv").string();
    ASSERT_TRUE(vm::MemoWrit(file, vm::TextoProjeto(saved)));
    m_dialogs.fileAnswers.push_back(file);
    runWindow([&] {
        menuAction("&Abrir")->trigger();
        EXPECT_EQ(number("nAspectot"), 1);
        EXPECT_EQ(number("nTelaAlturat"), 3);
        EXPECT_EQ(number("nImagemAlturat"), 768);
        EXPECT_EQ(vm::projeto().cTelaFormato, "4:3");
        EXPECT_EQ(text("cTelaDetalhe"),
                  vm::LinhaResultado(9.7 / 4 / 3 * 4, 9.7 / 4, vm::TamTela(9.7 / 3, 9.7 / 4)));
    });
}

TEST_F(MainWindowTest, AspectFourFromAFileGivesWayToTheSelectedOption) {
    vm::DadosProjeto saved = vm::ProjetoInicial();
    saved.nAspecto = 4;
    const std::string file = (m_dir / "x.qtv").string();
    ASSERT_TRUE(vm::MemoWrit(file, vm::TextoProjeto(saved)));
    m_dialogs.fileAnswers.push_back(file);
    runWindow([&] {
        menuAction("&Abrir")->trigger();
        EXPECT_EQ(vm::projeto().nAspecto, 4);
        EXPECT_EQ(number("nAspectot"), 3);
        typeInto("nLargurat", "6");
        EXPECT_EQ(vm::projeto().nAspecto, 3);
    });
}

// Shows the real message boxes, so that they take the focus as they do for a user.
class RealBoxes final : public vm::DialogSeam {
public:
    std::function<void()> whileShown;
    std::vector<std::string> titles;
    int runDialog(QDialog& dialog, const std::string&) override {
        titles.push_back(dialog.windowTitle().toStdString());
        dialog.show();
        dialog.activateWindow();
        if (!QTest::qWaitForWindowActive(&dialog)) {
            ADD_FAILURE() << "the box never became active";
        }
        if (!QTest::qWaitFor([&] { return dialog.isAncestorOf(QApplication::focusWidget()); })) {
            ADD_FAILURE() << "the box never took the focus";
        }
        if (whileShown) {
            whileShown();
        }
        dialog.hide();
        return QMessageBox::Ok;
    }
};

TEST_F(MainWindowTest, SalvarWritesWhatTheFieldHadWhenItLastLostTheFocus) {
    RealBoxes boxes;
    double stateWhileShown = -1;
    boxes.whileShown = [&] { stateWhileShown = vm::projeto().nLargura; };
    runWindow([&] {
        vm::SetDialogSeam(&boxes);
        ASSERT_TRUE(focusControl("wmenu", "nLargurat"));
        QTest::keyClicks(vm::ControlWidget("wmenu", "nLargurat"), "7");
        menuAction("&Salvar")->trigger();
        vm::SetDialogSeam(&m_dialogs);
        const std::string saved =
            vm::MemoRead((m_dir / "AUDITORIO_TERREO_Calculo_Tela.qtv").string());
        EXPECT_NE(saved.find("<Largura> 5.00</Largura>"), std::string::npos);
        EXPECT_EQ(stateWhileShown, 7);
        ASSERT_EQ(boxes.titles.size(), 1u);
        EXPECT_EQ(boxes.titles[0], "Salvar arquivo");
    });
}

TEST_F(MainWindowTest, SalvarReportsFailure) {
    vm::programValues().DirPdf = (m_dir / "missing" / "").string();
    runWindow([&] {
        menuAction("&Salvar")->trigger();
        EXPECT_EQ(m_dialogs.messageLog(),
                  std::vector<std::string>{"Salvar arquivo|Error ao salvar o Arquivo."});
    });
    vm::programValues().DirPdf = m_dir.string() + "/";
    runWindow([&] {
        menuAction("&Salvar")->trigger();
        EXPECT_EQ(m_dialogs.messageLog().back(), "Salvar arquivo|Arquivo salvado com sucesso.");
    });
}

TEST_F(MainWindowTest, ExitAsksOnlyAtTheCloseBox) {
    m_dialogs.messageAnswers = {vm::MessageAnswer::No, vm::MessageAnswer::Yes};
    runWindow([&] {
        vm::FormWidget("wmenu")->close();
        EXPECT_EQ(m_dialogs.messageLog(),
                  std::vector<std::string>{"Sair|Confirma a saida do sistema ??"});
        EXPECT_TRUE(vm::IsWindowActive("wmenu"));
        EXPECT_TRUE(m_endCodes.empty());
        vm::FormWidget("wmenu")->close();
        VM_TRY_TRUE(m_endCodes.size() == 1u);
        EXPECT_EQ(m_endCodes[0], 0);
    });
    m_endCodes.clear();
    m_dialogs.shown.clear();
    runWindow([&] {
        menuAction("&Sair")->trigger();
        VM_TRY_TRUE(m_endCodes.size() == 1u);
        EXPECT_EQ(m_endCodes[0], 0);
        EXPECT_TRUE(m_dialogs.shown.empty());
    });
}

TEST_F(MainWindowTest, ReportCommandsRecomputeWithoutRefreshingTheLines) {
    runWindow([&] {
        typeInto("nNumeroFilast", "9");
        QTest::mouseClick(vm::ControlWidget("wmenu", "bcalculara"), Qt::LeftButton);
        EXPECT_EQ(m_reports, 1);
        EXPECT_NEAR(vm::projeto().nAlturaG, (8 + 3.7) / 4, 1e-12);
        EXPECT_EQ(text("cTelaDetalhe"), kDetail);

        vm::mainWindowProcedures().getPrinter = [] { return std::string(); };
        vm::mainWindowProcedures().getDefaultPrinter = [] { return std::string("Padrao"); };
        menuAction("&Imprimir")->trigger();
        EXPECT_EQ(m_reports, 2);
        EXPECT_EQ(vm::programValues().PrintX, "Padrao");
    });
}

TEST_F(MainWindowTest, AboutAndReferenceBoxes) {
    runWindow([&] {
        menuAction("&Sobre")->trigger();
        menuAction(QString::fromUtf8("&Referência"))->trigger();
    });
    ASSERT_EQ(m_dialogs.shown.size(), 2u);
    const vm::MessageRequest& about = m_dialogs.shown[0].message;
    EXPECT_EQ(m_dialogs.shown[0].purpose, "MsgInfo");
    EXPECT_EQ(about.title, "Sobre Vistametra");
    EXPECT_FALSE(about.systemModal);
    const std::string expectedStart = vm::PadC("Vistametra 1.05", 70) + "\r\n" +
                                      vm::PadC("10/01/2016", 70) + "\r\n" + std::string(70, ' ') +
                                      "\r\n" + vm::PadC(" Vistametra", 70) + "\r\n\r\n";
    EXPECT_EQ(about.text.substr(0, expectedStart.size()), expectedStart);
    const std::string memory = vm::utf8ToWin1252("Memória física : ");
    const auto at = about.text.find(memory);
    ASSERT_NE(at, std::string::npos);
    EXPECT_NE(about.text.find(" MB,  livre : ", at), std::string::npos);
    // Both amounts have at least five digits, leading zeros included.
    const std::string amount = about.text.substr(at + memory.size(), 5);
    EXPECT_EQ(amount.find_first_not_of("0123456789"), std::string::npos) << amount;
    EXPECT_NE(about.text.find(" MB.", at), std::string::npos);
    EXPECT_EQ(about.text.substr(about.text.size() - 2), "\r\n");

    const vm::MessageRequest& reference = m_dialogs.shown[1].message;
    EXPECT_EQ(m_dialogs.shown[1].purpose, "MsgBox");
    EXPECT_EQ(reference.title, vm::utf8ToWin1252("Referências"));
    EXPECT_TRUE(reference.systemModal);
    const std::string tail = "contato@vistametra.com.br\r\n\r\n";
    EXPECT_EQ(reference.text.substr(reference.text.size() - tail.size()), tail);
    EXPECT_NE(reference.text.find("acima  e as linhas"), std::string::npos);
    EXPECT_NE(reference.text.find("\r\n    - Conte"), std::string::npos);
}

}  // namespace
