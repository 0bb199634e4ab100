// The window "Projeção" opened from the main window's menu, as a user drives it: fields typed
// after a click, the record and the page following them, refusals that name the input, "Salvar",
// and the inputs following Novo.
#include "program/projection_window.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/dados_projeto.h"
#include "core/win1252.h"
#include "program/main_window.h"
#include "project/project_file.h"
#include "tests/support/main_window_fixture.h"

namespace {

namespace fs = std::filesystem;

class ProjectionWindowTest : public MainWindowFixture {
protected:
    ProjectionWindowTest() : MainWindowFixture("vm-projecao") {}
    void SetUp() override {
        MainWindowFixture::SetUp();
        vm::mainWindowProcedures().projecao = vm::ShowProjectionWindow;
        vm::mainWindowProcedures().projetoAlterado = vm::RefreshProjectionWindow;
    }

    void openWindow() {
        QAction* item = menuAction("&Projetor e Brilho");
        ASSERT_NE(item, nullptr);
        item->trigger();
        ASSERT_NE(vm::ProjectionWindow(), nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(vm::ProjectionWindow()));
        vm::ProjectionWindow()->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(vm::ProjectionWindow()));
    }

    QLineEdit* field(const char* name) {
        return vm::ProjectionWindow()->findChild<QLineEdit*>(name);
    }

    // A click into the field, the keys, then Tab, as a user types.
    void type(const char* name, const char* keys) {
        QLineEdit* edit = field(name);
        ASSERT_NE(edit, nullptr) << name;
        QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(edit->width() / 2, edit->height() / 2));
        VM_TRY_TRUE(edit->hasFocus());
        // The click selects the field's text as Tab does, once the click has been handled.
        VM_TRY_TRUE(edit->text().isEmpty() || edit->selectedText() == edit->text());
        QTest::keyClicks(edit, keys);
        QTest::keyClick(edit, Qt::Key_Tab);
    }

    QString summary() const {
        return vm::ProjectionWindow()->findChild<QLabel*>("lResumo")->text();
    }
};

TEST_F(ProjectionWindowTest, TypedInputsReachTheRecordThePageAndTheProjectFile) {
    runWindow([&] {
        openWindow();
        EXPECT_EQ(vm::ProjectionWindow()->windowTitle(), QString::fromUtf8("Projeção"));
        EXPECT_EQ(field("eContraste")->text(), "15");
        type("eIluminacao", "100");
        EXPECT_EQ(vm::projeto().projecao.ambientLux, 100);
        EXPECT_TRUE(summary().contains(QString::fromUtf8("11 280 lm"))) << summary().toStdString();

        // A click into a filled field replaces its text: "15" becomes 50, not 1550.
        type("eContraste", "50");
        EXPECT_EQ(vm::projeto().projecao.contrast, 50);
        EXPECT_EQ(vm::ProjectionWindow()->findChild<QComboBox*>("cCategoria")->currentIndex(), 2);
        EXPECT_TRUE(summary().contains(QString::fromUtf8("37 600 lm"))) << summary().toStdString();

        // A low lens at 2 x 3.0 m: rows 1 to 3 cut the beam.
        type("eRazaoMin", "2");
        type("eAlturaLente", "1,0");
        EXPECT_TRUE(summary().contains("corta o feixe: 1-3")) << summary().toStdString();
        EXPECT_TRUE(summary().contains("veem o projetor: nenhuma")) << summary().toStdString();
        // At 1.9 m the lens stands in the view of rows 4 and 5 behind it.
        type("eAlturaLente", "1,9");
        EXPECT_TRUE(summary().contains("veem o projetor: 4-5")) << summary().toStdString();
        type("eAlturaLente", "1,0");
        type("ePitch", "2,5");
        EXPECT_TRUE(summary().contains("1200 x 752 pixels")) << summary().toStdString();
        EXPECT_TRUE(m_dialogs.messageLog().empty());

        // The inputs travel in the project's text.
        const std::string text = vm::TextoProjeto(vm::projeto());
        EXPECT_NE(text.find("<ProjIluminacao>100</ProjIluminacao>"), std::string::npos);
        EXPECT_NE(text.find("<LedPitch>2.5</LedPitch>"), std::string::npos);

        // Salvar: the page as PDF, the section with the lens as DXF.
        const fs::path folder = m_dir / "Área de Trabalho";
        fs::create_directories(folder);
        m_dialogs.fileAnswers.push_back((folder / "projeção.pdf").string());
        QTest::mouseClick(vm::ProjectionWindow()->findChild<QPushButton*>("bSalvar"),
                          Qt::LeftButton);
        const fs::path words = m_dir / "words.txt";
        ASSERT_EQ(std::system(("pdftotext -q -layout '" + (folder / "projeção.pdf").string() +
                               "' '" + words.string() + "'")
                                  .c_str()),
                  0);
        const std::string pdf = vm::MemoRead(words.string());
        EXPECT_NE(pdf.find("Projeção"), std::string::npos);
        EXPECT_NE(pdf.find("37 600 lm"), std::string::npos);
        m_dialogs.fileAnswers.push_back((folder / "corte.dxf").string());
        QTest::mouseClick(vm::ProjectionWindow()->findChild<QPushButton*>("bSalvar"),
                          Qt::LeftButton);
        EXPECT_NE(vm::MemoRead((folder / "corte.dxf").string()).find("PROJETOR"),
                  std::string::npos);
        EXPECT_TRUE(m_dialogs.messageLog().empty());

        // Novo empties the inputs, and the window shows it.
        menuAction("&Novo")->trigger();
        EXPECT_FALSE(vm::HasProjectionInputs(vm::projeto().projecao));
        EXPECT_EQ(field("eIluminacao")->text(), "");
        EXPECT_EQ(field("eContraste")->text(), "15");
    });
}

TEST_F(ProjectionWindowTest, BadInputsAreRefusedNamingTheInput) {
    runWindow([&] {
        openWindow();
        type("eRazaoMin", "1,5");
        struct Case {
            const char* field;
            const char* keys;
            const char* named;
            QString kept;
        };
        const Case cases[] = {
            {"eIluminacao", "-5", "Iluminação ambiente", ""},
            {"eGanho", "0", "Ganho da tela", "1"},
            {"eRazaoMin", "0", "Razão de projeção", "1.5"},
            {"eRazaoMax", "1", "a máxima é menor que a mínima", ""},
            {"ePitch", "0", "Pitch do LED", ""},
            {"eFatorLente", "1,2", "Fator da lente", "1"},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(c.field);
            const vm::ProjectionInputs before = vm::projeto().projecao;
            const size_t messages = m_dialogs.messageLog().size();
            type(c.field, c.keys);
            ASSERT_EQ(m_dialogs.messageLog().size(), messages + 1);
            EXPECT_NE(vm::win1252ToUtf8(m_dialogs.messageLog().back()).find(c.named),
                      std::string::npos)
                << vm::win1252ToUtf8(m_dialogs.messageLog().back());
            EXPECT_EQ(field(c.field)->text(), c.kept);
            EXPECT_EQ(vm::TextoProjeto(vm::projeto()), [&] {
                vm::DadosProjeto p = vm::projeto();
                p.projecao = before;
                return vm::TextoProjeto(p);
            }());
        }
        // An emptied field is "not given": the click selects the text, Delete empties it.
        QLineEdit* min = field("eRazaoMin");
        QTest::mouseClick(min, Qt::LeftButton, {}, QPoint(min->width() / 2, min->height() / 2));
        VM_TRY_TRUE(min->hasFocus());
        VM_TRY_TRUE(!min->text().isEmpty() && min->selectedText() == min->text());
        QTest::keyClick(min, Qt::Key_Delete);
        QTest::keyClick(min, Qt::Key_Tab);
        EXPECT_EQ(min->text(), "");
        EXPECT_FALSE(vm::projeto().projecao.throwRatioMin);
    });
}

}  // namespace
