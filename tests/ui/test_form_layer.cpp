// Controls addressed by name: values, on-change callbacks, focus, Enter navigation and menus.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTest>
#include <algorithm>
#include <iterator>

#include "tests/support/ui_test_support.h"

namespace {

using vm::FormValue;

class FormLayerTest : public UiTest {
protected:
    // A label, a text box, a radio group of three, a check box, a second text box and a button,
    // in this order. Callbacks write to m_log; the check box and radio group callbacks also
    // record the value they read.
    void defineControls() {
        vm::DefineLabel({.name = "lTitulo", .col = 10, .row = 5, .text = "Projeto:"});
        vm::DefineTextBox({.name = "cProjetot",
                           .col = 10,
                           .row = 30,
                           .maxLength = 5,
                           .upperCase = true,
                           .onLostFocus = [this] { m_log.push_back("lost"); }});
        vm::DefineRadioGroup(
            {.name = "nAspectot",
             .col = 10,
             .row = 60,
             .options = {"4:3", "16:9", "16:10"},
             .onChange =
                 [this] {
                     m_log.push_back("radio=" +
                                     std::to_string(static_cast<int>(
                                         vm::GetProperty("wtest", "NASPECTOT", "value").number())));
                 },
             .width = 60,
             .spacing = 10,
             .horizontal = true});
        vm::DefineCheckBox(
            {.name = "TelaGt",
             .col = 10,
             .row = 100,
             .caption = "Detalhes",
             .value = true,
             .onChange = [this] {
                 m_log.push_back(
                     std::string("check=") +
                     (vm::GetProperty("wtest", "telaGt", "value").logical() ? "T" : "F"));
             }});
        vm::DefineTextBox({.name = "cOutro", .col = 10, .row = 130});
        vm::DefineButton({.name = "bOk", .col = 10, .row = 160, .caption = "Ok", .action = [this] {
                              m_log.push_back("button");
                          }});
    }

    // The log without the text box's lost-focus entries (the focus moves as controls are used).
    std::vector<std::string> changes() const {
        std::vector<std::string> out;
        std::copy_if(m_log.begin(), m_log.end(), std::back_inserter(out),
                     [](const std::string& entry) { return entry != "lost"; });
        return out;
    }

    std::vector<std::string> m_log;
};

// Types text as key events carrying it (QTest::keyClicks takes only ASCII).
void typeText(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QApplication::sendEvent(widget, &release);
    }
}

TEST_F(FormLayerTest, NamesDifferingInCaseReachTheSameControl) {
    runInMainForm(
        [this] { defineControls(); },
        [&] {
            vm::SetProperty("WTEST", "telaGt", "value", false);
            EXPECT_EQ(vm::GetProperty("wTest", "TelaGt", "VALUE"), FormValue(false));
            EXPECT_FALSE(
                qobject_cast<QCheckBox*>(vm::ControlWidget("wtest", "TELAGT"))->isChecked());
            EXPECT_TRUE(vm::IsControlDefined("WtEsT", "ccprojetot") == false);
            EXPECT_TRUE(vm::IsControlDefined("WtEsT", "CPROJETOT"));
            // The widgets carry the names as defined, for tests and tools.
            EXPECT_EQ(vm::ControlWidget("wtest", "cprojetot")->objectName(),
                      QStringLiteral("cProjetot"));
            EXPECT_EQ(vm::FormWidget("WTEST")->objectName(), QStringLiteral("wtest"));
        });
}

TEST_F(FormLayerTest, CheckBoxCallbackRunsOnceBeforeSetPropertyReturnsAndOnlyForAChange) {
    runInMainForm([this] { defineControls(); },
                  [&] {
                      vm::SetProperty("wtest", "TelaGt", "value", true);  // already checked
                      EXPECT_TRUE(changes().empty());
                      vm::SetProperty("wtest", "TelaGt", "value", false);
                      EXPECT_EQ(changes(), std::vector<std::string>{"check=F"});
                      vm::SetProperty("wtest", "TelaGt", "value", "F");  // not a logical
                      EXPECT_EQ(changes().size(), 1u);

                      // The user's click toggles and runs the callback too.
                      QTest::mouseClick(vm::ControlWidget("wtest", "TelaGt"), Qt::LeftButton);
                      EXPECT_EQ(m_log.back(), "check=T");
                      EXPECT_EQ(changes().size(), 2u);
                  });
}

TEST_F(FormLayerTest, RadioGroupWritesSelectFocusAndCallBackOnlyForAChange) {
    runInMainForm(
        [this] { defineControls(); },
        [&] {
            EXPECT_EQ(vm::GetProperty("wtest", "nAspectot", "value"), FormValue(0));
            vm::SetProperty("wtest", "nAspectot", "value", 4);  // beyond three options
            vm::SetProperty("wtest", "nAspectot", "value", -1);
            vm::SetProperty("wtest", "nAspectot", "value", "2");
            EXPECT_TRUE(changes().empty());
            EXPECT_EQ(vm::GetProperty("wtest", "nAspectot", "value"), FormValue(0));

            vm::SetProperty("wtest", "nAspectot", "value", 3);
            EXPECT_EQ(changes(), std::vector<std::string>{"radio=3"});
            VM_TRY_TRUE(vm::ControlWidget("wtest", "nAspectot", 3)->hasFocus());
            vm::SetProperty("wtest", "nAspectot", "value", 3);
            EXPECT_EQ(changes().size(), 1u);

            vm::SetProperty("wtest", "nAspectot", "value", 0);  // clears the selection
            EXPECT_EQ(m_log.back(), "radio=0");
            for (int i = 1; i <= 3; ++i) {
                EXPECT_FALSE(qobject_cast<QRadioButton*>(vm::ControlWidget("wtest", "nAspectot", i))
                                 ->isChecked());
            }
            vm::SetProperty("wtest", "nAspectot", "value", 0);
            EXPECT_EQ(changes().size(), 2u);

            // The user: a click on another option, arrows move and select.
            QTest::mouseClick(vm::ControlWidget("wtest", "nAspectot", 2), Qt::LeftButton);
            EXPECT_EQ(m_log.back(), "radio=2");
            QTest::mouseClick(vm::ControlWidget("wtest", "nAspectot", 2),
                              Qt::LeftButton);  // the selected one: no change
            EXPECT_EQ(changes().size(), 3u);
            ASSERT_TRUE(focusControl("wtest", "nAspectot", 2));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
            EXPECT_EQ(m_log.back(), "radio=3");
            EXPECT_TRUE(vm::ControlWidget("wtest", "nAspectot", 3)->hasFocus());
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);  // wraps
            EXPECT_EQ(m_log.back(), "radio=1");
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
            EXPECT_EQ(m_log.back(), "radio=3");
            EXPECT_EQ(changes().size(), 6u);
        });
}

TEST_F(FormLayerTest, TabVisitsControlsInDefinitionOrderWithTheRadioGroupAsOneStop) {
    runInMainForm(
        [this] { defineControls(); },
        [&] {
            vm::SetProperty("wtest", "nAspectot", "value", 2);
            ASSERT_TRUE(focusControl("wtest", "cProjetot"));
            std::vector<std::string> visited;
            for (int i = 0; i < 5; ++i) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                visited.push_back(QApplication::focusWidget()->objectName().toStdString());
            }
            EXPECT_EQ(visited, (std::vector<std::string>{"nAspectot_2", "TelaGt", "cOutro", "bOk",
                                                         "cProjetot"}));
            // The text box lost the focus to the radio option that SetProperty focused,
            // and again to the first Tab.
            EXPECT_EQ(std::count(m_log.begin(), m_log.end(), "lost"), 2);
        });
}

TEST_F(FormLayerTest, EnterMovesOnFromTextFieldsAndCheckBoxesWhenNavigationIsOn) {
    runInMainForm([this] { defineControls(); },
                  [&] {
                      ASSERT_TRUE(focusControl("wtest", "cOutro"));
                      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
                      EXPECT_EQ(QApplication::focusWidget()->objectName(), "cOutro");

                      vm::SetEnterNavigation(true);
                      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
                      EXPECT_EQ(QApplication::focusWidget()->objectName(), "bOk");
                      ASSERT_TRUE(focusControl("wtest", "TelaGt"));
                      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter,
                                      Qt::KeypadModifier);
                      EXPECT_EQ(QApplication::focusWidget()->objectName(), "cOutro");
                      // Enter never toggled the check box.
                      EXPECT_EQ(vm::GetProperty("wtest", "TelaGt", "value"), FormValue(true));

                      // Enter on a button presses it.
                      ASSERT_TRUE(focusControl("wtest", "bOk"));
                      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
                      EXPECT_EQ(m_log, (std::vector<std::string>{"lost", "button"}));
                  });
}

TEST_F(FormLayerTest, TextBoxTypingIsLimitedAndUpperCasedButWritesShowWhole) {
    runInMainForm([this] { defineControls(); },
                  [&] {
                      ASSERT_TRUE(focusControl("wtest", "cProjetot"));
                      QTest::keyClicks(QApplication::focusWidget(), "sala ABCD");
                      EXPECT_EQ(vm::GetProperty("wtest", "cProjetot", "value"), FormValue("SALA "));
                      // Windows-1252 letters: "ç" becomes "Ç"; "ß" has no single capital.
                      vm::SetProperty("wtest", "cProjetot", "value", "");
                      typeText(QApplication::focusWidget(), QString::fromUtf8("açßo"));
                      EXPECT_EQ(vm::GetProperty("wtest", "cProjetot", "value"),
                                FormValue("A\xC7\xDFO"));

                      vm::SetProperty("wtest", "cProjetot", "value", "auditorio central   ");
                      EXPECT_EQ(vm::GetProperty("wtest", "cProjetot", "value"),
                                FormValue("auditorio central"));
                      vm::SetProperty("wtest", "cProjetot", "value", FormValue());
                      EXPECT_EQ(vm::GetProperty("wtest", "cProjetot", "value"), FormValue(""));
                  });
}

// What a text box shows is what the record holds: a character that Windows-1252 cannot hold is
// refused as it is typed (or pasted), the rest of the text stays.
TEST_F(FormLayerTest, TextBoxRefusesCharactersTheRecordCannotHold) {
    runInMainForm(
        [this] { defineControls(); },
        [&] {
            ASSERT_TRUE(focusControl("wtest", "cOutro"));
            typeText(QApplication::focusWidget(), QString::fromUtf8("Sal\u00e3o \u4e2d\u20ac1"));
            EXPECT_EQ(vm::GetProperty("wtest", "cOutro", "value"), FormValue("Sal\xe3o \x80"
                                                                             "1"));
            auto* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget());
            ASSERT_NE(edit, nullptr);
            edit->insert(QString::fromUtf8(" \U0001F600 x"));  // a paste
            EXPECT_EQ(vm::GetProperty("wtest", "cOutro", "value"), FormValue("Sal\xe3o \x80"
                                                                             "1"));
        });
}

// A flat button draws no frame of its own; with the keyboard focus it shows the style's focus
// frame, so Tab visibly reaches it.
TEST_F(FormLayerTest, AFlatButtonShowsWhenItHasTheFocus) {
    runInMainForm(
        [] {
            vm::DefineTextBox({.name = "cAntes", .col = 10, .row = 10});
            vm::DefineButton({.name = "bPlano",
                              .col = 10,
                              .row = 40,
                              .caption = "Gerar Report",
                              .action = [] {},
                              .width = 90,
                              .height = 20,
                              .flat = true});
        },
        [&] {
            auto* button = qobject_cast<QPushButton*>(vm::ControlWidget("wtest", "bPlano"));
            ASSERT_NE(button, nullptr);
            ASSERT_TRUE(focusControl("wtest", "cAntes"));
            const QImage unfocused = button->grab().toImage();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            VM_TRY_TRUE(button->hasFocus());
            const QImage focused = button->grab().toImage();
            ASSERT_EQ(focused.size(), unfocused.size());
            // The frame runs along the edges: compare the left column of pixels, away from the
            // caption.
            int changed = 0;
            for (int y = 0; y < focused.height(); ++y) {
                for (int x = 0; x < 4; ++x) {
                    changed += focused.pixel(x, y) != unfocused.pixel(x, y);
                }
            }
            EXPECT_GT(changed, focused.height() / 2);
        });
}

TEST_F(FormLayerTest, LabelsProgressBarsAndVisibility) {
    runInMainForm(
        [this] {
            defineControls();
            vm::DefineProgressBar({.name = "Pg_1",
                                   .col = 200,
                                   .row = 10,
                                   .width = 100,
                                   .tooltip = "Progresso do download"});
        },
        [&] {
            vm::SetProperty("wtest", "lTitulo", "Caption", "Largura     : ");
            EXPECT_EQ(vm::GetProperty("wtest", "lTitulo", "value"), FormValue("Largura     : "));
            EXPECT_EQ(qobject_cast<QLabel*>(vm::ControlWidget("wtest", "lTitulo"))->text(),
                      QStringLiteral("Largura     : "));
            vm::SetProperty("wtest", "lTitulo", "value", "Dimens\xE3o");
            EXPECT_EQ(qobject_cast<QLabel*>(vm::ControlWidget("wtest", "lTitulo"))->text(),
                      QString::fromUtf8("Dimensão"));
            vm::SetProperty("wtest", "lTitulo", "value", FormValue());
            EXPECT_EQ(vm::GetProperty("wtest", "lTitulo", "caption"), FormValue(""));

            auto* bar = qobject_cast<QProgressBar*>(vm::ControlWidget("wtest", "Pg_1"));
            EXPECT_EQ(bar->value(), 0);
            vm::SetProperty("wtest", "Pg_1", "Value", 42);
            EXPECT_EQ(bar->value(), 42);
            EXPECT_EQ(vm::GetProperty("wtest", "pg_1", "value"), FormValue(42));
            vm::SetProperty("wtest", "Pg_1", "Value", FormValue());
            EXPECT_EQ(bar->value(), 0);
            EXPECT_EQ(bar->toolTip(), QStringLiteral("Progresso do download"));

            vm::DoMethod("wtest", "lTitulo", "Hide");
            vm::DoMethod("wtest", "nAspectot", "hide");
            EXPECT_FALSE(vm::ControlWidget("wtest", "lTitulo")->isVisible());
            EXPECT_FALSE(vm::ControlWidget("wtest", "nAspectot", 3)->isVisible());
            EXPECT_EQ(vm::GetProperty("wtest", "lTitulo", "visible"), FormValue(false));
            vm::DoMethod("wtest", "lTitulo", "Show");
            EXPECT_TRUE(vm::ControlWidget("wtest", "lTitulo")->isVisible());
        });
}

TEST_F(FormLayerTest, OnChangeCallbacksDoNotRunWhileADefinitionIsOpen) {
    vm::DefineWindow({.name = "wtest", .kind = vm::WindowKind::Main});
    defineControls();
    vm::SetProperty("wtest", "TelaGt", "value", false);
    vm::SetProperty("wtest", "nAspectot", "value", 2);
    EXPECT_TRUE(m_log.empty());
    EXPECT_EQ(vm::GetProperty("wtest", "TelaGt", "value"), FormValue(false));
    EXPECT_EQ(vm::GetProperty("wtest", "nAspectot", "value"), FormValue(2));
    vm::EndWindow();
    vm::SetProperty("wtest", "TelaGt", "value", true);
    EXPECT_EQ(m_log, std::vector<std::string>{"check=T"});
}

TEST_F(FormLayerTest, MenuCommandsKeepTheFocusUntilAMessageBoxTakesIt) {
    // The message box is the real one: the seam shows it and waits until it has the focus.
    struct ShowingSeam final : vm::DialogSeam {
        std::vector<std::string>* log = nullptr;
        int runDialog(QDialog& dialog, const std::string& purpose) override {
            dialog.show();
            // Wait until the box has the keyboard focus, as the user sees it.
            if (!QTest::qWaitFor([&] {
                    return dialog.isAncestorOf(QApplication::focusWidget()) ||
                           QApplication::focusWidget() == &dialog;
                })) {
                log->push_back("box never took the focus");
            }
            log->push_back("box " + purpose);
            dialog.reject();
            return QDialog::Rejected;
        }
    } seam;
    seam.log = &m_log;
    vm::SetDialogSeam(&seam);

    bool menuRan = false;
    runInMainForm(
        [&] {
            vm::DefineMainMenu();
            vm::DefineMenuPopup("&Arquivo");
            vm::DefineMenuItem("&Novo", [&] {
                menuRan = true;
                m_log.push_back("menu");
                vm::MsgInfo("Arquivo novo");
            });
            vm::DefineSeparator();
            vm::DefineMenuItem("&Sair", [] {});
            vm::EndMenuPopup();
            vm::EndMenu();
            defineControls();
        },
        [&] {
            ASSERT_TRUE(focusControl("wtest", "cProjetot"));
            auto* window = qobject_cast<QMainWindow*>(vm::FormWidget("wtest"));
            ASSERT_NE(window, nullptr);
            const QList<QAction*> bar = window->menuBar()->actions();
            ASSERT_EQ(bar.size(), 1);
            EXPECT_EQ(bar[0]->text(), QStringLiteral("&Arquivo"));
            const QList<QAction*> items = bar[0]->menu()->actions();
            ASSERT_EQ(items.size(), 3);
            EXPECT_EQ(items[0]->text(), QStringLiteral("&Novo"));
            EXPECT_TRUE(items[1]->isSeparator());

            // Alt+A opens the drop-down, N chooses "&Novo".
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::AltModifier);
            VM_TRY_TRUE(bar[0]->menu()->isVisible());
            QTest::keyClick(bar[0]->menu(), Qt::Key_N);
            VM_TRY_TRUE(menuRan);
            VM_TRY_TRUE(m_log.size() >= 3u);
            EXPECT_EQ(m_log, (std::vector<std::string>{"menu", "lost", "box MsgInfo"}));
        });
    vm::SetDialogSeam(&m_dialogs);
}

TEST_F(FormLayerTest, StatusBarItemsAreControls) {
    runInMainForm(
        [] {
            vm::BeginMessageBar("StatusBar", "Arial", 9);
            vm::DefineItemMessage("STATUSITEM", "    Medidas em metros");
            vm::EndMessageBar();
        },
        [] {
            auto* window = qobject_cast<QMainWindow*>(vm::FormWidget("wtest"));
            EXPECT_EQ(window->statusBar()->objectName(), QStringLiteral("StatusBar"));
            // "Arial" on an "ARIAL" form is the form's own font (one font engine for both).
            EXPECT_EQ(window->statusBar()->font(), window->font());
            EXPECT_EQ(vm::GetProperty("wtest", "statusitem", "value"),
                      FormValue("    Medidas em metros"));
            vm::SetProperty("wtest", "STATUSITEM", "value", "Pronto");
            EXPECT_EQ(qobject_cast<QLabel*>(vm::ControlWidget("wtest", "StatusItem"))->text(),
                      QStringLiteral("Pronto"));
        });
}

}  // namespace
