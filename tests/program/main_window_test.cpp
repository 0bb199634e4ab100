// The main window driven as a user drives it: keystrokes, clicks, menus and scripted dialogs.
#include "program/main_window.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QRadioButton>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "core/calculo.h"
#include "core/field_limits.h"
#include "core/file_names.h"
#include "core/program_values.h"
#include "core/result_line.h"
#include "core/text.h"
#include "core/whole_file.h"
#include "core/win1252.h"
#include "program/project_file_commands.h"
#include "project/project_file.h"
#include "runtime/startup.h"
#include "tests/support/comma_locale.h"
#include "tests/support/main_window_fixture.h"
#include "tests/support/tool_process.h"
#include "ui/file_failure_text.h"

namespace {

// A mount namespace of this test program's own, made before any thread starts (a process with
// threads cannot make one), so that a test may mount a small file system that fills up.
const bool g_ownMounts =
    unshare(CLONE_NEWNS) == 0 && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;

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

// The three result lines as the window shows them.
std::vector<std::string> windowLines() {
    return {text("cTelaDetalhe"), text("cTelaComputer"), text("cTelaVideo")};
}

// The result lines that vistametra-report prints, run in `dir` with `args`.
std::vector<std::string> toolLines(const fs::path& dir, const std::vector<std::string>& args) {
    const fs::path printed = dir / "tool-lines.txt";
    const int out = ::open(printed.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::string err;
    EXPECT_EQ(runWithOutput(out, args, dir, &err), 0) << err;
    ::close(out);
    std::vector<std::string> lines;
    std::ifstream in(printed);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// The box after a save, naming the file written.
std::string savedBox(const fs::path& file) {
    return "Salvar arquivo|Arquivo salvado com sucesso.\r\n\r\n" +
           vm::TextFromFileName(file.string());
}

QString title() {
    return vm::FormWidget("wmenu")->windowTitle();
}

class MainWindowTest : public MainWindowFixture {
protected:
    MainWindowTest() : MainWindowFixture("vm-wmenu") {}
    void SetUp() override {
        MainWindowFixture::SetUp();
        vm::mainWindowProcedures().reportCalculo = [this] { ++m_reports; };
    }

    // Types into a field and leaves it with Tab.
    void typeInto(const char* control, const char* keys) {
        ASSERT_TRUE(focusControl("wmenu", control));
        QTest::keyClicks(vm::ControlWidget("wmenu", control), keys);
        QTest::keyClick(vm::ControlWidget("wmenu", control), Qt::Key_Tab);
    }

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

// The first click into a field selects its text as Tab does, so what is typed replaces it; a
// click in the field being edited only moves the caret.
TEST_F(MainWindowTest, AClickIntoAFieldSelectsItAsTabDoes) {
    runWindow([&] {
        auto* rows = qobject_cast<QLineEdit*>(vm::ControlWidget("wmenu", "nNumeroFilast"));
        ASSERT_NE(rows, nullptr);
        const QPoint middle(rows->width() / 2, rows->height() / 2);
        QTest::mouseClick(rows, Qt::LeftButton, {}, middle);
        VM_TRY_TRUE(rows->hasFocus());
        EXPECT_EQ(rows->text(), "  7");
        EXPECT_EQ(rows->selectedText(), "  7");
        QTest::keyClicks(rows, "10");
        QTest::keyClick(rows, Qt::Key_Tab);
        EXPECT_EQ(number("nNumeroFilast"), 10);
        EXPECT_EQ(vm::projeto().nNumeroFilas, 10);

        // A press, a shaking hand and the release: still the whole text.
        auto* width = qobject_cast<QLineEdit*>(vm::ControlWidget("wmenu", "nLargurat"));
        QTest::mousePress(width, Qt::LeftButton, {}, QPoint(4, width->height() / 2));
        QTest::mouseMove(width, QPoint(width->width() / 2, width->height() / 2));
        QTest::mouseRelease(width, Qt::LeftButton, {}, QPoint(width->width() / 2, 4));
        VM_TRY_TRUE(width->hasFocus());
        EXPECT_EQ(width->selectedText(), width->text());
        QTest::keyClicks(width, "12,5");
        QTest::keyClick(width, Qt::Key_Tab);
        EXPECT_EQ(vm::projeto().nLargura, 12.5);

        // The date field selects its input positions, as Tab does.
        auto* date = qobject_cast<QLineEdit*>(vm::ControlWidget("wmenu", "cdatat"));
        QTest::mouseClick(date, Qt::LeftButton, {}, QPoint(date->width() - 4, date->height() / 2));
        VM_TRY_TRUE(date->hasFocus());
        QTest::keyClicks(date, "150326");
        QTest::keyClick(date, Qt::Key_Tab);
        EXPECT_EQ(vm::projeto().cData, (vm::Date{2026, 3, 15}));

        // In the field being edited a click places the caret and selects nothing.
        QTest::mouseClick(rows, Qt::LeftButton, {}, middle);
        VM_TRY_TRUE(rows->hasFocus());
        ASSERT_TRUE(rows->hasSelectedText());
        const QPoint right(rows->width() - 3, rows->height() / 2);
        QTest::mouseClick(rows, Qt::LeftButton, {}, right);
        EXPECT_FALSE(rows->hasSelectedText());
        EXPECT_EQ(rows->cursorPosition(), rows->cursorPositionAt(right));
    });
}

// Shrunk as far as it goes, the window still shows every control whole, "Gerar Report" and the
// status bar included.
TEST_F(MainWindowTest, ShrunkWindowStillShowsEveryControl) {
    runWindow([&] {
        QWidget* window = vm::FormWidget("wmenu");
        window->resize(0, 0);
        VM_TRY_TRUE(window->size() == window->minimumSize());
        QApplication::processEvents();
        const QRect inside = window->rect();
        int controls = 0;
        for (QWidget* child : window->findChildren<QWidget*>()) {
            if (!child->isVisible() || !child->children().isEmpty()) {
                continue;
            }
            const QRect place(child->mapTo(window, QPoint(0, 0)), child->size());
            EXPECT_TRUE(inside.contains(place))
                << child->objectName().toStdString() << " is cut off";
            ++controls;
        }
        EXPECT_GE(controls, 30);
        const QWidget* report = vm::ControlWidget("wmenu", "bcalculara");
        EXPECT_TRUE(inside.contains(QRect(report->mapTo(window, QPoint(0, 0)), report->size())));
    });
}

TEST_F(MainWindowTest, EditsReachTheProjectAndTheResultLines) {
    runWindow([&] {
        typeInto("nNumeroFilast", "13");
        EXPECT_EQ(vm::projeto().nNumeroFilas, 13);
        const double rows13 = 12 * 1.0 + 3.7;
        EXPECT_EQ(text("cTelaDetalhe"),
                  vm::LinhaResultado(rows13 / 4 / 10 * 16, rows13 / 4,
                                     vm::TamTela(rows13 / 4 / 10 * 16, rows13 / 4)));

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

TEST_F(MainWindowTest, NovoEmptiesTheInputsAndTheResults) {
    runWindow([&] {
        menuAction("&Novo")->trigger();
        EXPECT_EQ(text("cProjetot"), "");
        EXPECT_EQ(number("nComprimentot"), 0);
        EXPECT_EQ(number("nImagemLargurat"), 0);
        EXPECT_EQ(number("nAspectot"), 3);
        // Recomputed: no screen has no format, no rows no distance.
        EXPECT_EQ(vm::projeto().cTelaFormato, "CUSTOM");
        EXPECT_EQ(text("cTelaDetalhe"), vm::LinhaResultado(0, 0, 0));
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
        // The results are the file's: 20 m changes nothing before the last row.
        EXPECT_EQ(text("cTelaDetalhe"), kDetail);
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

// A box shown while the window starts (the quiet update check finding a newer version, or a
// server without the page) takes the focus from a field that holds nothing yet: the empty window
// must not reach the project.
TEST_F(MainWindowTest, ABoxDuringStartUpLeavesTheProjectWhole) {
    RealBoxes boxes;
    std::string shownWhileBoxOpen = "?";
    boxes.whileShown = [&] { shownWhileBoxOpen = vm::projeto().cProjeto; };
    runWindow(
        [&] {
            ASSERT_EQ(boxes.titles, std::vector<std::string>{"Update"});
            EXPECT_EQ(shownWhileBoxOpen, "AUDITORIO_TERREO");
            EXPECT_EQ(text("cProjetot"), "AUDITORIO_TERREO");
            EXPECT_EQ(number("nComprimentot"), 10);
            EXPECT_EQ(vm::GetProperty("wmenu", "cdatat", "value").date(), vm::Today());
            menuAction("&Salvar")->trigger();
            const std::string saved =
                vm::MemoRead((m_dir / "AUDITORIO_TERREO_Calculo_Tela.qtv").string());
            EXPECT_NE(saved.find("<Cmprimento>10.00</Comprimento>"), std::string::npos) << saved;
            EXPECT_FALSE(fs::exists(m_dir / "_Calculo_Tela.qtv"));
        },
        [&] {
            ASSERT_TRUE(focusControl("wmenu", "nComprimentot"));
            vm::SetDialogSeam(&boxes);
            vm::MsgStop(vm::utf8ToWin1252("Arquivo para update não encontrado!"), "Update");
            vm::SetDialogSeam(&m_dialogs);
        });
}

// Choosing a menu item moves no focus: the commands that read the project commit the field being
// edited first, as leaving it would.
TEST_F(MainWindowTest, CommandsCommitTheFieldBeingEdited) {
    runWindow([&] {
        ASSERT_TRUE(focusControl("wmenu", "nLargurat"));
        QTest::keyClicks(vm::ControlWidget("wmenu", "nLargurat"), "7");
        menuAction("&Salvar")->trigger();
        const std::string saved =
            vm::MemoRead((m_dir / "AUDITORIO_TERREO_Calculo_Tela.qtv").string());
        EXPECT_NE(saved.find("<Largura> 7.00</Largura>"), std::string::npos) << saved;
        EXPECT_EQ(m_dialogs.messageLog().back(),
                  savedBox(m_dir / "AUDITORIO_TERREO_Calculo_Tela.qtv"));
        EXPECT_EQ(QApplication::focusWidget(), vm::ControlWidget("wmenu", "nLargurat"));

        vm::DadosProjeto atReport;
        vm::mainWindowProcedures().reportCalculo = [&] { atReport = vm::projeto(); };
        vm::mainWindowProcedures().getPrinter = [] { return std::string("Fila"); };
        ASSERT_TRUE(focusControl("wmenu", "nNumeroFilast"));
        QTest::keyClicks(vm::ControlWidget("wmenu", "nNumeroFilast"), "9");
        menuAction("&Imprimir")->trigger();
        EXPECT_EQ(atReport.nNumeroFilas, 9);
        EXPECT_NEAR(atReport.nAlturaG, (8 + 3.7) / 4, 1e-12);
        // "Gerar Report" pressed without the mouse: the button takes no focus either.
        ASSERT_TRUE(focusControl("wmenu", "nDistOlhos1t"));
        QTest::keyClicks(vm::ControlWidget("wmenu", "nDistOlhos1t"), "5");
        qobject_cast<QAbstractButton*>(vm::ControlWidget("wmenu", "bcalculara"))->click();
        EXPECT_EQ(atReport.nDistOlhos1, 5);
        EXPECT_NEAR(atReport.nAlturaG, (8 + 5.0) / 4, 1e-12);
    });
}

// A file that is not a project, or cannot be read, is refused with a box; the project stays.
TEST_F(MainWindowTest, AbrirRefusesWhatIsNotAProject) {
    const fs::path folder = m_dir / "Área de Trabalho";
    fs::create_directory(folder);
    std::ofstream(folder / "notas.txt") << "Sala de Reunião, 3 filas\r\n";
    std::ofstream(folder / "imagem.qtv", std::ios::binary)
        << std::string("\x89PNG\r\n\x1a\n\0\0", 10);
    std::ofstream(folder / "vazio.qtv");
    ASSERT_EQ(mkfifo((folder / "fila.qtv").c_str(), 0600), 0);
    const std::string notAProject =
        "Abrir|" + vm::utf8ToWin1252("O arquivo selecionado não é um projeto do Vistametra.");
    const std::string unreadable = "Abrir|" + vm::utf8ToWin1252("Não foi possível ler o arquivo.");
    const struct {
        fs::path file;
        std::string box;  // its beginning
    } cases[] = {
        {folder / "notas.txt", notAProject},
        {folder / "imagem.qtv", notAProject},
        {folder / "vazio.qtv", notAProject},
        {folder / "fila.qtv",
         unreadable + "\r\n\r\n" + vm::utf8ToWin1252("não é um arquivo comum")},
        {folder, unreadable + "\r\n\r\n" + vm::utf8ToWin1252("é uma pasta")},
        // The system's reason, in the locale's UTF-8, is shown decoded into the box's text.
        {folder / "sumiu.qtv", unreadable + "\r\n\r\n" + vm::SystemReasonText(ENOENT)},
    };
    for (const auto& c : cases) {
        m_dialogs.fileAnswers.push_back(c.file.string());
    }
    runWindow([&] {
        typeInto("nComprimentot", "12");
        for (const auto& c : cases) {
            m_dialogs.shown.clear();
            menuAction("&Abrir")->trigger();
            // The edit was never saved: asked about first (and not saved), then the box.
            ASSERT_EQ(m_dialogs.messageLog().size(), 2u) << c.file;
            EXPECT_EQ(m_dialogs.messageLog()[0],
                      "Vistametra|" + vm::utf8ToWin1252("Salvar as alterações?"));
            EXPECT_EQ(m_dialogs.messageLog()[1].substr(0, c.box.size()), c.box) << c.file;
            EXPECT_EQ(vm::projeto().cProjeto, "AUDITORIO_TERREO") << c.file;
            EXPECT_EQ(vm::projeto().nComprimento, 12) << c.file;
            EXPECT_EQ(text("cProjetot"), "AUDITORIO_TERREO") << c.file;
            EXPECT_EQ(number("nComprimentot"), 12) << c.file;
        }
    });
}

// A file with some of the fields is read as it stands: the missing ones empty, no box.
TEST_F(MainWindowTest, AbrirReadsAFileWithSomeFields) {
    const std::string file = (m_dir / "parcial.qtv").string();
    std::ofstream(file) << "<Projeto>SALA</Projeto><Cmprimento>12.00</Comprimento>";
    m_dialogs.fileAnswers.push_back(file);
    runWindow([&] {
        menuAction("&Abrir")->trigger();
        EXPECT_TRUE(m_dialogs.messageLog().empty());
        EXPECT_EQ(text("cProjetot"), "SALA");
        EXPECT_EQ(number("nComprimentot"), 12);
        EXPECT_EQ(number("nLargurat"), 0);
    });
}

// While a report preview is open, "Gerar Report" and "&Imprimir" bring it forward and change
// nothing: no printer is asked for, nothing is computed, no second report is made.
TEST_F(MainWindowTest, ReportCommandsWhileAPreviewIsOpenOnlyBringItForward) {
    int broughtForward = 0;
    int printerAsked = 0;
    vm::mainWindowProcedures().previewToFront = [&] { return ++broughtForward > 0; };
    vm::mainWindowProcedures().getPrinter = [&] {
        ++printerAsked;
        return std::string("Fila");
    };
    vm::programValues().PrintX = "Anterior";
    runWindow([&] {
        typeInto("nNumeroFilast", "9");
        const double heightBefore = vm::projeto().nAlturaG;
        QTest::mouseClick(vm::ControlWidget("wmenu", "bcalculara"), Qt::LeftButton);
        menuAction("&Imprimir")->trigger();
        EXPECT_EQ(broughtForward, 2);
        EXPECT_EQ(m_reports, 0);
        EXPECT_EQ(printerAsked, 0);
        EXPECT_EQ(vm::programValues().PrintX, "Anterior");
        EXPECT_EQ(vm::projeto().nAlturaG, heightBefore);
    });
}

// A full disk: a small file system that the earlier project file and a filler leave no room on.
// The earlier file stays, and the box gives the system's reason in the user's language alone, the
// file on the line below it.
TEST_F(MainWindowTest, SalvarOnAFullDiskKeepsTheEarlierFileAndSaysWhy) {
    if (!g_ownMounts) {
        GTEST_SKIP() << "cannot mount a small file system here (needs root)";
    }
    const fs::path full = m_dir / "cheio";
    fs::create_directory(full);
    ASSERT_EQ(mount("tmpfs", full.c_str(), "tmpfs", 0, "size=12k"), 0) << std::strerror(errno);
    const fs::path file = full / "AUDITORIO_TERREO_Calculo_Tela.qtv";
    std::ofstream(file, std::ios::binary) << "earlier";
    std::ofstream(full / "filler", std::ios::binary) << std::string(12 * 1024, 'f');
    vm::programValues().DirPdf = full.string() + "/";
    std::string box;
    runWindow([&] {
        menuAction("&Salvar")->trigger();
        ASSERT_EQ(m_dialogs.messageLog().size(), 1u);
        box = m_dialogs.messageLog()[0];
    });
    const std::string kept = vm::ReadWholeFile(file);
    umount(full.c_str());
    EXPECT_EQ(kept, "earlier");
    EXPECT_EQ(box, "Salvar arquivo|Error ao salvar o Arquivo.\r\n\r\n" +
                       vm::SystemReasonText(ENOSPC) + "\r\n" + file.string());
}

TEST_F(MainWindowTest, SalvarReportsFailure) {
    vm::programValues().DirPdf = (m_dir / "missing" / "").string();
    runWindow([&] {
        menuAction("&Salvar")->trigger();
        // The box's first line as always, then the reason and the file, with the warning icon.
        ASSERT_EQ(m_dialogs.messageLog().size(), 1u);
        const std::string box = m_dialogs.messageLog()[0];
        const std::string file = (m_dir / "missing" / "AUDITORIO_TERREO_Calculo_Tela.qtv").string();
        // In Portuguese, with the system's reason decoded (a Brazilian desktop's is UTF-8).
        EXPECT_EQ(box, "Salvar arquivo|Error ao salvar o Arquivo.\r\n\r\n" +
                           vm::utf8ToWin1252("não foi possível criar um arquivo na pasta \"") +
                           (m_dir / "missing" / "").string() +
                           "\": " + vm::SystemReasonText(ENOENT) + "\r\n" + file);
        EXPECT_EQ(m_dialogs.shown.back().purpose, "MsgWarn");
    });
    vm::programValues().DirPdf = m_dir.string() + "/";
    runWindow([&] {
        menuAction("&Salvar")->trigger();
        EXPECT_EQ(m_dialogs.messageLog().back(),
                  savedBox(m_dir / "AUDITORIO_TERREO_Calculo_Tela.qtv"));
    });
}

// "Salvar como…" writes the project under any folder and name, with ".qtv" added to a name
// without it, asks before that name replaces a file, names the file written, and from then on
// the window's title names it.
TEST_F(MainWindowTest, SalvarComoWritesAnyFolderAndName) {
    const fs::path desk = m_dir / "Área de Trabalho";
    fs::create_directory(desk);
    const fs::path nobre = desk / "Salão Nobre.qtv";
    m_dialogs.fileAnswers = {(desk / "Salão Nobre").string(), (desk / "Salão Nobre").string(),
                             (desk / "copia.QTV").string(), (m_dir / "sumiu" / "x").string()};
    m_dialogs.messageAnswers = {vm::MessageAnswer::Ok, vm::MessageAnswer::No};
    runWindow([&] {
        QAction* salvarComo = menuAction(QString::fromUtf8("Salvar &como…"));
        ASSERT_NE(salvarComo, nullptr);
        EXPECT_EQ(salvarComo->shortcut(), QKeySequence("Ctrl+Shift+S"));
        typeInto("nNumeroFilast", "12");
        salvarComo->trigger();
        // It started in the program's folder, with the name that Salvar would give.
        EXPECT_EQ(m_dialogs.shown[0].purpose, "PutFile");
        EXPECT_EQ(m_dialogs.shown[0].file.initialFolder,
                  vm::programValues().DirPdf + "AUDITORIO_TERREO_Calculo_Tela.qtv");
        const std::string written = vm::MemoRead(nobre.string());
        EXPECT_EQ(written, vm::TextoProjeto(vm::projeto()));
        EXPECT_NE(written.find("<NumeroFilas> 12</NumeroFilas>"), std::string::npos);
        EXPECT_EQ(m_dialogs.messageLog().back(), savedBox(nobre));
        EXPECT_EQ(title(), QString::fromUtf8("Vistametra - Salão Nobre.qtv"));

        // The same name again, now taken: "Não" keeps the file as it was.
        typeInto("nNumeroFilast", "15");
        salvarComo->trigger();
        EXPECT_EQ(m_dialogs.shown[2].file.initialFolder, nobre.string());
        EXPECT_EQ(m_dialogs.messageLog().back(),
                  vm::utf8ToWin1252("Salvar como|O arquivo \"Salão Nobre.qtv\" já existe em ") +
                      vm::TextFromFileName(desk.string() + "/") + ". Substituir?");
        EXPECT_EQ(vm::MemoRead(nobre.string()), written);

        // A name with the extension in capitals keeps it.
        salvarComo->trigger();
        EXPECT_NE(vm::MemoRead((desk / "copia.QTV").string()).find("<NumeroFilas> 15"),
                  std::string::npos);
        EXPECT_FALSE(fs::exists(desk / "copia.QTV.qtv"));
        EXPECT_EQ(title(), "Vistametra - copia.QTV");

        // A folder that is not there: the box says which file and why; the title stays.
        const size_t boxes = m_dialogs.messageLog().size();
        salvarComo->trigger();
        ASSERT_EQ(m_dialogs.messageLog().size(), boxes + 1);
        const std::string failed = vm::utf8ToWin1252(
                                       "Salvar como|Não foi possível salvar o "
                                       "arquivo ") +
                                   vm::TextFromFileName((m_dir / "sumiu" / "x.qtv").string()) +
                                   ".\r\n\r\n";
        EXPECT_EQ(m_dialogs.messageLog().back().substr(0, failed.size()), failed);
        EXPECT_GT(m_dialogs.messageLog().back().size(), failed.size());  // and the reason
        EXPECT_EQ(title(), "Vistametra - copia.QTV");

        // Cancelled: nothing is written or shown.
        salvarComo->trigger();
        EXPECT_EQ(m_dialogs.messageLog().size(), boxes + 1);
    });
    EXPECT_EQ(std::distance(fs::directory_iterator(desk), fs::directory_iterator()), 2);
}

// Once the project has a file (Salvar como, Abrir), Salvar writes that file, the one the title
// names, by Ctrl+S and by "Salvar as alterações?" -> Sim alike; a project without one (Novo)
// goes back to "<project>_Calculo_Tela.qtv" in the program's folder.
TEST_F(MainWindowTest, SalvarWritesTheFileTheTitleNames) {
    const fs::path desk = m_dir / "Área de Trabalho";
    fs::create_directory(desk);
    const fs::path nobre = desk / "Salão Nobre.qtv";
    const fs::path outra = desk / "outra.qtv";
    {
        vm::DadosProjeto p = vm::ProjetoInicial();
        p.cProjeto = "OUTRA";
        std::ofstream(outra, std::ios::binary) << vm::TextoProjeto(p);
    }
    m_dialogs.fileAnswers = {nobre.string(), outra.string()};
    const fs::path specified = m_dir / "AUDITORIO_TERREO_Calculo_Tela.qtv";
    runWindow([&] {
        menuAction(QString::fromUtf8("Salvar &como…"))->trigger();
        typeInto("nNumeroFilast", "15");
        QTest::keyClick(vm::FormWidget("wmenu"), Qt::Key_S, Qt::ControlModifier);
        EXPECT_NE(vm::MemoRead(nobre.string()).find("<NumeroFilas> 15</NumeroFilas>"),
                  std::string::npos);
        EXPECT_EQ(m_dialogs.messageLog().back(), savedBox(nobre));
        EXPECT_EQ(title(), QString::fromUtf8("Vistametra - Salão Nobre.qtv"));

        // Abrir asks about the edits; Sim writes them into the file the title names, then the
        // other project opens and its Ctrl+S writes its own file.
        typeInto("nNumeroFilast", "16");
        m_dialogs.messageAnswers = {vm::MessageAnswer::Yes};
        menuAction("&Abrir")->trigger();
        EXPECT_NE(vm::MemoRead(nobre.string()).find("<NumeroFilas> 16</NumeroFilas>"),
                  std::string::npos);
        EXPECT_EQ(title(), "Vistametra - outra.qtv");
        typeInto("nNumeroFilast", "17");
        QTest::keyClick(vm::FormWidget("wmenu"), Qt::Key_S, Qt::ControlModifier);
        const std::string saved = vm::MemoRead(outra.string());
        EXPECT_NE(saved.find("<Projeto>OUTRA</Projeto>"), std::string::npos) << saved;
        EXPECT_NE(saved.find("<NumeroFilas> 17</NumeroFilas>"), std::string::npos) << saved;
        EXPECT_EQ(title(), "Vistametra - outra.qtv");
        EXPECT_FALSE(fs::exists(m_dir / "OUTRA_Calculo_Tela.qtv"));
        EXPECT_FALSE(fs::exists(specified));

        // Novo: no file, so Salvar writes the specified name again.
        menuAction("&Novo")->trigger();
        EXPECT_EQ(title(), "Vistametra");
        typeInto("cProjetot", "NOVA");
        menuAction("&Salvar")->trigger();
        EXPECT_EQ(m_dialogs.messageLog().back(), savedBox(m_dir / "NOVA_Calculo_Tela.qtv"));
    });
    EXPECT_EQ(std::distance(fs::directory_iterator(desk), fs::directory_iterator()), 2);
}

// A project file whose name holds "../../.profile" and a NUL byte opens as written, and Salvar
// writes it back to that file; without a file of its own the project would be named from that
// name, and Salvar refuses it with the failure box and writes nothing, inside the folder or above
// it.
TEST_F(MainWindowTest, SalvarRefusesANameThatCannotNameTheFile) {
    const fs::path projects = m_dir / "projetos";
    fs::create_directories(projects);
    const std::string file = (m_dir / "hostil.qtv").string();
    std::ofstream(file, std::ios::binary)
        << std::string("<Projeto>../../.profile\0</Projeto><Comprimento>12.00</Comprimento>", 66);
    m_dialogs.fileAnswers.push_back(file);
    vm::programValues().DirPdf = projects.string() + "/";
    runWindow([&] {
        menuAction("&Abrir")->trigger();
        EXPECT_EQ(vm::projeto().cProjeto, std::string("../../.profile\0", 15));
        menuAction("&Salvar")->trigger();
        EXPECT_EQ(m_dialogs.messageLog().back(), savedBox(file));
        vm::DefineArquivoDoProjeto("wmenu", "");
        menuAction("&Salvar")->trigger();
        EXPECT_EQ(m_dialogs.messageLog().back().rfind(
                      "Salvar arquivo|Error ao salvar o Arquivo.\r\n\r\no nome do projeto tem um "
                      "byte nulo",
                      0),
                  0u)
            << m_dialogs.messageLog().back();
    });
    EXPECT_TRUE(fs::is_empty(projects));
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()), 2);
}

// As on a Brazilian desktop (decimal mark ","), in a folder with accents: the default project
// shows its figures, "12,5" typed into a length is 12.50, and a project named with an accent saves
// under its UTF-8 name and opens back whole.
TEST_F(MainWindowTest, RightOnABrazilianDesktop) {
    vm::testing::CommaLocale brazil;
    ASSERT_TRUE(brazil.active());
    vm::StartWithoutWindow();
    const fs::path desk = m_dir / "\xc3\x81rea de Trabalho";  // "Área de Trabalho"
    fs::create_directory(desk);
    vm::programValues().DirPdf = desk.string() + "/";
    const fs::path file = desk / "SAL\xc3\x83O_Calculo_Tela.qtv";  // "SALÃO_..." in UTF-8
    m_dialogs.fileAnswers.push_back(file.string());
    runWindow([&] {
        EXPECT_EQ(text("cTelaDetalhe"), kDetail);
        EXPECT_EQ(shown("nPeDireitot").trimmed(), "3.80");

        typeInto("nComprimentot", "12,5");
        EXPECT_EQ(shown("nComprimentot").trimmed(), "12.50");
        EXPECT_EQ(vm::projeto().nComprimento, 12.5);
        typeInto("nLargurat", "6,25");
        typeInto("nDistEntreFilast", "0,9");
        typeInto("nNumeroFilast", "9");
        ASSERT_TRUE(focusControl("wmenu", "cProjetot"));
        QWidget* name = vm::ControlWidget("wmenu", "cProjetot");
        qobject_cast<QLineEdit*>(name)->selectAll();
        for (const QChar c : QString::fromUtf8("salão")) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(name, &press);
        }
        QTest::keyClick(name, Qt::Key_Tab);
        EXPECT_EQ(vm::projeto().cProjeto, "SAL\xc3O");

        EXPECT_EQ(title(), "Vistametra");
        menuAction("&Salvar")->trigger();
        EXPECT_EQ(m_dialogs.messageLog().back(), savedBox(file));
        EXPECT_EQ(title(), QString::fromUtf8("Vistametra - SALÃO_Calculo_Tela.qtv"));
        ASSERT_TRUE(fs::exists(file));
        const std::string bytes = vm::MemoRead(file.string());
        EXPECT_NE(bytes.find("<Projeto>SAL\xc3O</Projeto>"), std::string::npos);
        EXPECT_NE(bytes.find("<Cmprimento>12.50</Comprimento>"), std::string::npos);
        EXPECT_NE(bytes.find("<PeDireito> 3.80</PeDireito>"), std::string::npos);

        std::vector<std::pair<const char*, vm::FormValue>> before;
        for (const char* control :
             {"cProjetot",        "cdatat",           "nLargurat",       "nComprimentot",
              "nPeDireitot",      "nDistOlhos1t",     "nAlturaOlhos1t",  "nNumeroFilast",
              "nDistEntreFilast", "nLarguraAssentot", "nAlturaFila2t",   "nTelaTopot",
              "nTelaLargurat",    "nTelaAlturat",     "nImagemLargurat", "nImagemAlturat",
              "nAspectot",        "TelaGt",           "TelaAt",          "TelaFt"}) {
            before.emplace_back(control, vm::GetProperty("wmenu", control, "value"));
        }
        const vm::DadosProjeto saved = vm::projeto();
        menuAction("&Novo")->trigger();
        EXPECT_EQ(number("nComprimentot"), 0);
        EXPECT_EQ(title(), "Vistametra");

        menuAction("&Abrir")->trigger();
        EXPECT_EQ(title(), QString::fromUtf8("Vistametra - SALÃO_Calculo_Tela.qtv"));
        for (const auto& [control, value] : before) {
            EXPECT_EQ(vm::GetProperty("wmenu", control, "value"), value) << control;
        }
        EXPECT_EQ(vm::projeto().cProjeto, saved.cProjeto);
        EXPECT_EQ(vm::projeto().nComprimento, 12.5);
        EXPECT_EQ(vm::projeto().nLargura, 6.25);
        EXPECT_EQ(vm::projeto().nDistEntreFilas, 0.9);
        EXPECT_EQ(vm::projeto().nNumeroFilas, 9);
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

// Whatever commits an edit (Tab, Enter, "Gerar Report", "&Imprimir"), the result lines are the
// ones vistametra-report prints for the inputs on screen.
TEST_F(MainWindowTest, ResultLinesAreTheToolsForTheInputsOnScreen) {
    vm::SetEnterNavigation(true);
    runWindow([&] {
        // A hall of 24 x 18 m with 20 rows, each field left with Tab.
        typeInto("nComprimentot", "24");
        typeInto("nLargurat", "18");
        typeInto("nNumeroFilast", "20");
        typeInto("nDistEntreFilast", "0,95");
        std::vector<std::string> sets = {
            "--set", "nComprimento=24", "--set", "nLargura=18",
            "--set", "nNumeroFilas=20", "--set", "nDistEntreFilas=0.95"};
        const std::vector<std::string> hall = toolLines(m_dir, sets);
        ASSERT_EQ(hall.size(), 3u);
        EXPECT_NE(hall[0], kDetail);
        EXPECT_EQ(windowLines(), hall);

        ASSERT_TRUE(focusControl("wmenu", "nDistOlhos1t"));
        QTest::keyClicks(vm::ControlWidget("wmenu", "nDistOlhos1t"), "4,5");
        QTest::keyClick(vm::ControlWidget("wmenu", "nDistOlhos1t"), Qt::Key_Return);
        sets.insert(sets.end(), {"--set", "nDistOlhos1=4.5"});
        EXPECT_EQ(windowLines(), toolLines(m_dir, sets));

        // The report commands commit the field being edited; the window shows what they computed.
        ASSERT_TRUE(focusControl("wmenu", "nNumeroFilast"));
        QTest::keyClicks(vm::ControlWidget("wmenu", "nNumeroFilast"), "12");
        QTest::mouseClick(vm::ControlWidget("wmenu", "bcalculara"), Qt::LeftButton);
        EXPECT_EQ(m_reports, 1);
        sets.insert(sets.end(), {"--set", "nNumeroFilas=12"});
        EXPECT_EQ(windowLines(), toolLines(m_dir, sets));

        vm::mainWindowProcedures().getPrinter = [] { return std::string(); };
        vm::mainWindowProcedures().getDefaultPrinter = [] { return std::string("Padrao"); };
        ASSERT_TRUE(focusControl("wmenu", "nDistEntreFilast"));
        QTest::keyClicks(vm::ControlWidget("wmenu", "nDistEntreFilast"), "1,2");
        menuAction("&Imprimir")->trigger();
        EXPECT_EQ(m_reports, 2);
        EXPECT_EQ(vm::programValues().PrintX, "Padrao");
        sets.insert(sets.end(), {"--set", "nDistEntreFilas=1.2"});
        EXPECT_EQ(windowLines(), toolLines(m_dir, sets));
    });
}

// A number that describes no room is refused where it is typed: the field goes back to the
// project's value, a box names the field and its range, and the results stay those of the room.
TEST_F(MainWindowTest, ValuesThatDescribeNoRoomAreRefusedWhereTyped) {
    const struct {
        const char* control;
        const char* keys;
        double kept;      // the field's value after leaving it
        const char* box;  // "" when the value is taken
    } cases[] = {
        {"nNumeroFilast", "-5", 7,
         "O campo \"Número de Filas de Assentos\" aceita valores de 0 a 999."},
        {"nComprimentot", "0", 10,
         "O campo \"Comprimento\" aceita valores maiores que 0, até 999.99."},
        {"nAlturaOlhos1t", "-1,2", 1.2,
         "O campo \"Altura do Piso/Olhos Fila 1\" aceita valores maiores que 0, até 999.99."},
        {"nAlturaFila2t", "-1", 0.2,
         "O campo \"Altura do degrau da Fila 2\" aceita valores de 0 a 999.99."},
        {"nImagemLargurat", "-1", 1280,
         "O campo \"Resolução da imagem projetada (largura em pixels)\" aceita valores de 0 a "
         "9999."},
        {"nAlturaFila2t", "0", 0, ""},  // a flat floor
        {"nNumeroFilast", "0", 0, ""},  // no rows yet
    };
    runWindow([&] {
        for (const auto& c : cases) {
            SCOPED_TRACE(c.control + std::string(" ") + c.keys);
            const size_t boxes = m_dialogs.shown.size();
            typeInto(c.control, c.keys);
            EXPECT_EQ(number(c.control), c.kept);
            if (*c.box != 0) {
                ASSERT_EQ(m_dialogs.shown.size(), boxes + 1);
                EXPECT_EQ(m_dialogs.messageLog().back(),
                          vm::utf8ToWin1252(std::string("Valor não aceito|") + c.box));
            } else {
                EXPECT_EQ(m_dialogs.shown.size(), boxes);
            }
        }
        EXPECT_EQ(vm::projeto().nImagemAltura, 800);  // 1280 at 16:10, as before
        EXPECT_EQ(windowLines(),
                  toolLines(m_dir, {"--set", "nAlturaFila2=0", "--set", "nNumeroFilas=0"}));

        // A command that commits the field being edited refuses the same way.
        ASSERT_TRUE(focusControl("wmenu", "nLargurat"));
        QTest::keyClicks(vm::ControlWidget("wmenu", "nLargurat"), "-3");
        menuAction("&Salvar")->trigger();
        const std::string saved =
            vm::MemoRead((m_dir / "AUDITORIO_TERREO_Calculo_Tela.qtv").string());
        EXPECT_NE(saved.find("<Largura> 5.00</Largura>"), std::string::npos) << saved;
        EXPECT_EQ(number("nLargurat"), 5);
    });
}

// Whether the field is marked as holding a value that describes no room.
bool marked(const char* control) {
    const QWidget* field = vm::ControlWidget("wmenu", control);
    return field->property("foraDaFaixa").toBool() && !field->styleSheet().isEmpty();
}

// A project file that holds such values opens as written; passing through its fields refuses
// nothing that the user did not type. The window marks the fields, and the report commands name
// them instead of drawing until valid values are typed.
TEST_F(MainWindowTest, AFileWithValuesThatDescribeNoRoomOpensAsWritten) {
    vm::DadosProjeto saved = vm::ProjetoInicial();
    saved.nNumeroFilas = -5;
    saved.nComprimento = -2;
    const std::string file = (m_dir / "negativo.qtv").string();
    ASSERT_TRUE(vm::MemoWrit(file, vm::TextoProjeto(saved)));
    m_dialogs.fileAnswers.push_back(file);
    int printerAsked = 0;
    vm::mainWindowProcedures().getPrinter = [&] {
        ++printerAsked;
        return std::string("Fila");
    };
    const std::string refused = vm::utf8ToWin1252(
        "Valores fora da faixa|O projeto tem valores que não descrevem uma sala, e o relatório "
        "não foi gerado:\r\n\r\n"
        "Comprimento: -2.00 (aceita valores maiores que 0, até 999.99)\r\n"
        "Número de Filas de Assentos: -5 (aceita valores de 0 a 999)\r\n\r\n"
        "Corrija os campos marcados em vermelho.");
    runWindow([&] {
        EXPECT_FALSE(marked("nComprimentot"));
        menuAction("&Abrir")->trigger();
        typeInto("nNumeroFilast", "");
        typeInto("nComprimentot", "");
        EXPECT_EQ(vm::projeto().nNumeroFilas, -5);
        EXPECT_EQ(vm::projeto().nComprimento, -2);
        EXPECT_EQ(m_dialogs.shown.size(), 1u);  // the file dialog only
        // Another value out of the range goes back to the file's.
        typeInto("nNumeroFilast", "-9");
        EXPECT_EQ(vm::projeto().nNumeroFilas, -5);
        EXPECT_EQ(m_dialogs.shown.size(), 2u);

        for (const vm::FieldLimit& limit : vm::fieldLimits()) {
            const std::string control = limit.field + std::string("t");
            EXPECT_EQ(marked(control.c_str()),
                      control == "nNumeroFilast" || control == "nComprimentot")
                << control;
        }
        EXPECT_EQ(vm::GetProperty("wmenu", "nNumeroFilast", "tooltip").text(),
                  vm::utf8ToWin1252("Fora da faixa: aceita valores de 0 a 999."));
        EXPECT_EQ(text("cAvisos"),
                  vm::utf8ToWin1252("2 avisos: O campo \"Comprimento\" vale -2.00, fora da faixa "
                                    "permitida (maior que 0)."));

        QTest::mouseClick(vm::ControlWidget("wmenu", "bcalculara"), Qt::LeftButton);
        menuAction("&Imprimir")->trigger();
        EXPECT_EQ(m_reports, 0);
        EXPECT_EQ(printerAsked, 0);
        ASSERT_EQ(m_dialogs.messageLog().size(), 3u);
        EXPECT_EQ(m_dialogs.messageLog()[1], refused);
        EXPECT_EQ(m_dialogs.messageLog()[2], refused);

        // A valid value clears its field's mark; once both are valid the report is made.
        typeInto("nNumeroFilast", "7");
        EXPECT_FALSE(marked("nNumeroFilast"));
        EXPECT_EQ(vm::GetProperty("wmenu", "nNumeroFilast", "tooltip").text(), "");
        EXPECT_TRUE(marked("nComprimentot"));
        typeInto("nComprimentot", "10");
        EXPECT_FALSE(marked("nComprimentot"));
        QTest::mouseClick(vm::ControlWidget("wmenu", "bcalculara"), Qt::LeftButton);
        EXPECT_EQ(m_reports, 1);
        EXPECT_EQ(m_dialogs.shown.size(), 4u);
    });
}

// The warnings line follows every calculation: the default project's image bottom below its
// last row's eyes and its row 1 nearer than DISCAS's closest viewer, on a flat floor only the
// latter, the rows beyond the back wall of a long hall.
TEST_F(MainWindowTest, TheWarningsLineFollowsTheProject) {
    runWindow([&] {
        EXPECT_EQ(text("cAvisos"),
                  vm::utf8ToWin1252("2 avisos: A base da imagem pretendida (1.72 m do piso) fica "
                                    "abaixo dos olhos da última fila (2.40 m)."));
        typeInto("nAlturaFila2t", "0");
        const std::string tooClose =
            "A fila 1 fica a 3.70 m da tela, mais perto que o espectador mais próximo do DISCAS: "
            "1.732 x (altura da imagem 1.88 m + base acima dos olhos 0.52 m) = 4.16 m.";
        EXPECT_EQ(text("cAvisos"), vm::utf8ToWin1252("Aviso: " + tooClose));
        typeInto("nNumeroFilast", "60");
        const std::string beyond =
            "Filas além da parede do fundo: os olhos da fila 60 ficam a 62.70 m da tela, e a sala "
            "tem 10.00 m.";
        EXPECT_EQ(text("cAvisos"), vm::utf8ToWin1252("5 avisos: " + beyond));
        const std::string all = vm::GetProperty("wmenu", "cAvisos", "tooltip").text();
        EXPECT_EQ(all.substr(0, all.find('\n')), vm::utf8ToWin1252(beyond));
        EXPECT_EQ(std::count(all.begin(), all.end(), '\n'), 4);
        EXPECT_EQ(all.substr(all.rfind('\n') + 1), vm::utf8ToWin1252(tooClose));
        // Novo's empty project is not yet filled in: nothing to warn of, no field marked.
        menuAction("&Novo")->trigger();
        EXPECT_EQ(text("cAvisos"), "");
        EXPECT_EQ(vm::GetProperty("wmenu", "cAvisos", "tooltip").text(), "");
        EXPECT_FALSE(marked("nComprimentot"));
        EXPECT_FALSE(marked("nNumeroFilast"));
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

// Edits never saved are asked about before Novo, Abrir and Sair discard them: Cancelar keeps
// them, Não discards them, Sim saves first; a project just saved or opened asks nothing.
TEST_F(MainWindowTest, SalvarAsAlteracoesBeforeEditsAreDiscarded) {
    const std::string question = "Vistametra|" + vm::utf8ToWin1252("Salvar as alterações?");
    vm::programValues().DirPdf = m_dir.string() + "/";
    runWindow([&] {
        // Nothing typed yet: Novo asks nothing.
        menuAction("&Novo")->trigger();
        EXPECT_TRUE(m_dialogs.messageLog().empty());
        typeInto("nComprimentot", "12");
        EXPECT_TRUE(vm::AlteracoesNaoSalvas());

        // Cancelar: Novo does nothing.
        m_dialogs.messageAnswers.push_back(vm::MessageAnswer::Cancel);
        menuAction("&Novo")->trigger();
        ASSERT_EQ(m_dialogs.messageLog().size(), 1u);
        EXPECT_EQ(m_dialogs.messageLog()[0], question);
        EXPECT_EQ(vm::projeto().nComprimento, 12);

        // Sim: the project is saved, then Novo goes on; afterwards nothing is asked.
        typeInto("cProjetot", "SALA");
        m_dialogs.messageAnswers.push_back(vm::MessageAnswer::Yes);
        menuAction("&Novo")->trigger();
        EXPECT_TRUE(fs::exists(m_dir / "SALA_Calculo_Tela.qtv"));
        EXPECT_EQ(vm::projeto().nComprimento, 0);
        EXPECT_FALSE(vm::AlteracoesNaoSalvas());
        const size_t shown = m_dialogs.messageLog().size();
        menuAction("&Novo")->trigger();
        EXPECT_EQ(m_dialogs.messageLog().size(), shown);

        // Não: the edit is discarded by the file opened.
        typeInto("nLargurat", "8");
        m_dialogs.messageAnswers.push_back(vm::MessageAnswer::No);
        m_dialogs.fileAnswers.push_back((m_dir / "SALA_Calculo_Tela.qtv").string());
        menuAction("&Abrir")->trigger();
        EXPECT_EQ(m_dialogs.messageLog().back(), question);
        EXPECT_EQ(vm::projeto().nComprimento, 12);
        EXPECT_FALSE(vm::AlteracoesNaoSalvas());

        // Sair: Cancelar keeps the window and the edit.
        typeInto("nLargurat", "9");
        m_dialogs.messageAnswers.push_back(vm::MessageAnswer::Cancel);
        const size_t before = m_dialogs.messageLog().size();
        menuAction("&Sair")->trigger();
        ASSERT_EQ(m_dialogs.messageLog().size(), before + 1)
            << ::testing::PrintToString(m_dialogs.messageLog());
        EXPECT_EQ(m_dialogs.messageLog()[before], question);
        EXPECT_TRUE(vm::FormWidget("wmenu")->isVisible());
        EXPECT_EQ(vm::projeto().nLargura, 9);
    });
}

// While the report's preview is open, the main window's commands bring it forward and do
// nothing else: Ctrl+S writes no project behind the preview's own Salvar.
TEST_F(MainWindowTest, NoCommandActsWhileThePreviewIsOpen) {
    vm::programValues().DirPdf = m_dir.string() + "/";
    int broughtForward = 0;
    vm::mainWindowProcedures().previewToFront = [&] {
        ++broughtForward;
        return true;
    };
    runWindow([&] {
        typeInto("nComprimentot", "12");
        for (const char* item : {"&Salvar", "&Novo", "&Abrir", "&Sair"}) {
            menuAction(item)->trigger();
        }
        QTest::keyClick(vm::FormWidget("wmenu"), Qt::Key_S, Qt::ControlModifier);
        EXPECT_GE(broughtForward, 5);
        EXPECT_TRUE(m_dialogs.shown.empty());
        EXPECT_EQ(vm::projeto().nComprimento, 12);
        EXPECT_TRUE(vm::FormWidget("wmenu")->isVisible());
    });
    EXPECT_FALSE(fs::exists(m_dir / "AUDITORIO_TERREO_Calculo_Tela.qtv"));
}
