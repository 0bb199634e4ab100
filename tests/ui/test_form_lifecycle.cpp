// Activation, release and interactive close of main and child forms, centring, DoEvents, and the
// calls that a worker thread makes into the layer.
#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <atomic>
#include <thread>

#include "tests/support/ui_test_support.h"

namespace {

using vm::FormValue;

class FormLifecycleTest : public UiTest {
protected:
    // A child form "wfilho" with a label and the given callbacks; the interactive-close callback
    // answers from m_allowClose.
    void defineChild(vm::Callback onInit) {
        vm::DefineWindow({.name = "wfilho",
                          .title = "Filho",
                          .width = 200,
                          .height = 120,
                          .onInit = std::move(onInit),
                          .onRelease = [this] { m_log.push_back("child release"); },
                          .kind = vm::WindowKind::Child,
                          .onInteractiveClose =
                              [this] {
                                  m_log.push_back("child close?");
                                  return m_allowClose;
                              }});
        vm::DefineLabel({.name = "Label_1", .col = 10, .row = 10, .text = "http://"});
        vm::DefineProgressBar({.name = "Pg_1", .col = 10, .row = 40});
        vm::EndWindow();
    }

    void defineMainButton() {
        vm::DefineButton(
            {.name = "bMain", .col = 10, .row = 10, .caption = "Main", .action = [this] {
                 m_log.push_back("main button");
             }});
    }

    std::vector<std::string> m_log;
    bool m_allowClose = true;
};

TEST_F(FormLifecycleTest, ActivationRunsOnInitWhenShownThenFocusesTheFirstFocusableControl) {
    struct Case {
        const char* title;
        bool initMovesFocus;
        const char* focused;
    };
    const Case cases[] = {{"first control", false, "cPrimeiro"},
                          {"focus left where on-init put it", true, "cSegundo"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        std::vector<std::string> log;
        vm::DefineWindow(
            {.name = "wmain",
             .onInit =
                 [&] {
                     log.push_back(vm::FormWidget("wmain")->isVisible() ? "init, shown"
                                                                        : "init, hidden");
                     if (c.initMovesFocus) {
                         vm::DoMethod("wmain", "cSegundo", "SetFocus");
                     }
                     // Runs in the form's event loop, after the activation's focus.
                     QTimer::singleShot(0, [&] {
                         QWidget* focus = vm::FormWidget("wmain")->focusWidget();
                         log.push_back(focus != nullptr ? focus->objectName().toStdString()
                                                        : "none");
                         vm::DoMethod("wmain", "release");
                     });
                 },
             .kind = vm::WindowKind::Main});
        vm::DefineLabel({.name = "lRotulo", .col = 10, .row = 10, .text = "Nome"});
        vm::BeginFrame({.name = "Area", .row = 40, .col = 10, .caption = "Area"});
        vm::DefineTextBox({.name = "cPrimeiro", .col = 20, .row = 60});
        vm::DefineTextBox({.name = "cSegundo", .col = 20, .row = 90});
        vm::EndWindow();
        vm::DoMethod("wmain", "activate");
        EXPECT_EQ(log, (std::vector<std::string>{"init, shown", c.focused}));
        EXPECT_FALSE(vm::IsWindowDefined("wmain"));
    }
    EXPECT_EQ(m_endCodes, (std::vector<int>{0, 0}));
}

TEST_F(FormLifecycleTest, ChildActivationReturnsOnlyAfterReleaseWhateverItsSource) {
    enum class Source { EventLoop, CloseBox, Worker };
    struct Case {
        const char* title;
        Source source;
    };
    const Case cases[] = {{"DoMethod on the event-loop thread", Source::EventLoop},
                          {"the close box", Source::CloseBox},
                          {"DoMethod on a worker thread", Source::Worker}};
    runInMainForm(
        [this] { defineMainButton(); },
        [&] {
            for (const Case& c : cases) {
                SCOPED_TRACE(c.title);
                m_log.clear();
                std::thread worker;
                defineChild([&] {
                    m_log.push_back("child init");
                    QTimer::singleShot(0, [&] {
                        // The main form stays usable while the child is open.
                        QTest::mouseClick(vm::ControlWidget("wtest", "bMain"), Qt::LeftButton);
                        switch (c.source) {
                            case Source::EventLoop:
                                vm::DoMethod("wfilho", "release");
                                m_log.push_back("release requested");
                                break;
                            case Source::CloseBox:
                                vm::FormWidget("wfilho")->close();
                                break;
                            case Source::Worker:
                                worker = std::thread([] { vm::DoMethod("WFILHO", "release"); });
                                break;
                        }
                    });
                });
                vm::DoMethod("wfilho", "activate");
                m_log.push_back("activate returned");
                if (worker.joinable()) {
                    worker.join();
                }
                std::vector<std::string> expected{"child init", "main button"};
                if (c.source == Source::EventLoop) {
                    expected.push_back("release requested");  // queued, not at once
                }
                expected.insert(expected.end(),
                                {"child close?", "child release", "activate returned"});
                EXPECT_EQ(m_log, expected);
                EXPECT_FALSE(vm::IsWindowDefined("wfilho"));
            }
            EXPECT_TRUE(m_endCodes.empty());
        });
}

TEST_F(FormLifecycleTest, RefusedCloseKeepsTheChildOpenAndItsNameIsFreeAfterRelease) {
    runInMainForm(
        [] {},
        [&] {
            m_allowClose = false;
            defineChild([&] {
                QTimer::singleShot(0, [&] {
                    vm::FormWidget("wfilho")->close();
                    m_log.push_back(vm::IsWindowActive("wfilho") ? "still open" : "closed");
                    m_allowClose = true;
                    vm::DoMethod("wfilho", "release");
                });
            });
            vm::DoMethod("wfilho", "activate");
            EXPECT_EQ(m_log, (std::vector<std::string>{"child close?", "still open", "child close?",
                                                       "child release"}));
            // The name is free again: a new form of that name opens and closes.
            m_log.clear();
            defineChild([] { vm::DoMethod("wfilho", "release"); });
            vm::DoMethod("wfilho", "activate");
            EXPECT_EQ(m_log, (std::vector<std::string>{"child close?", "child release"}));
        });
}

TEST_F(FormLifecycleTest, MainReleaseFromAMenuEndsWithoutAskingAfterEveryOnRelease) {
    vm::DefineWindow({.name = "wmain",
                      .onRelease = [this] { m_log.push_back("main release"); },
                      .kind = vm::WindowKind::Main,
                      .onInteractiveClose =
                          [this] {
                              m_log.push_back("main close?");
                              return false;
                          }});
    vm::DefineMainMenu();
    vm::DefineMenuPopup("&Arquivo");
    vm::DefineMenuItem("&Sair", [] { vm::DoMethod("wmain", "release"); });
    vm::EndMenuPopup();
    vm::EndMenu();
    vm::EndWindow();
    QTimer::singleShot(0, [&] {
        defineChild([&] {
            QTimer::singleShot(0, [&] {
                auto* window = qobject_cast<QMainWindow*>(vm::FormWidget("wmain"));
                window->menuBar()->actions().front()->menu()->actions().front()->trigger();
            });
        });
        vm::DoMethod("wfilho", "activate");
        m_log.push_back("child activate returned");
    });
    vm::DoMethod("wmain", "activate");
    EXPECT_EQ(m_log, (std::vector<std::string>{"main release", "child release",
                                               "child activate returned"}));
    EXPECT_EQ(m_endCodes, std::vector<int>{0});
    EXPECT_FALSE(vm::IsWindowDefined("wmain"));
    EXPECT_FALSE(vm::IsWindowDefined("wfilho"));
}

TEST_F(FormLifecycleTest, MainCloseBoxAsksAndNoKeepsTheProgramRunning) {
    vm::DefineWindow(
        {.name = "wmenu",
         .onRelease = [this] { m_log.push_back("main release"); },
         .kind = vm::WindowKind::Main,
         .onInteractiveClose =
             [] { return vm::MsgYesNo("Confirma a saida do sistema ??", "Sair", false); }});
    vm::EndWindow();
    m_dialogs.messageAnswers = {vm::MessageAnswer::No, vm::MessageAnswer::Yes};
    QTimer::singleShot(0, [&] {
        vm::FormWidget("wmenu")->close();
        m_log.push_back(vm::IsWindowActive("wmenu") ? "running" : "gone");
        m_log.push_back("ends " + std::to_string(m_endCodes.size()));
        vm::FormWidget("wmenu")->close();
    });
    vm::DoMethod("wmenu", "activate");
    EXPECT_EQ(m_log, (std::vector<std::string>{"running", "ends 0", "main release"}));
    EXPECT_EQ(m_endCodes, std::vector<int>{0});
    ASSERT_EQ(m_dialogs.shown.size(), 2u);
    EXPECT_EQ(m_dialogs.shown[0].message.text, "Confirma a saida do sistema ??");
    EXPECT_EQ(m_dialogs.shown[0].message.title, "Sair");
    EXPECT_FALSE(m_dialogs.shown[0].message.systemModal);
}

TEST_F(FormLifecycleTest, CenterUsesScreenWidthAndWorkAreaHeight) {
    vm::DefineWindow({.name = "wmenu", .width = 640, .height = 480, .kind = vm::WindowKind::Main});
    vm::EndWindow();
    vm::DoMethod("wmenu", "center");
    QScreen* screen = QGuiApplication::primaryScreen();
    const QPoint expected(
        screen->geometry().x() + (screen->geometry().width() - 640) / 2,
        screen->geometry().y() + (screen->availableGeometry().height() - 480) / 2);
    EXPECT_EQ(vm::FormWidget("wmenu")->pos(), expected);
}

TEST_F(FormLifecycleTest, WorkerThreadChangesApplyInOrderAndItsReleaseEndsTheNestedLoop) {
    std::atomic<bool> everyChangeWasApplied{true};
    std::atomic<bool> workerDone{false};
    std::thread worker;
    std::string captionAtRelease;
    FormValue progressAtRelease;
    runInMainForm(
        [] {},
        [&] {
            vm::DefineWindow(
                {.name = "WupdateFile",
                 .onInit =
                     [&] {
                         worker = std::thread([&] {
                             for (int kb = 1; kb <= 5; ++kb) {
                                 const std::string text = std::to_string(kb) + " KB from 5 KB";
                                 vm::SetProperty("WupdateFile", "Label_1", "Caption", text);
                                 // Applied before SetProperty returned.
                                 if (vm::GetProperty("WupdateFile", "label_1", "value") !=
                                     FormValue(text)) {
                                     everyChangeWasApplied = false;
                                 }
                                 vm::SetProperty("WupdateFile", "Pg_1", "Value", kb * 20);
                                 vm::DoEvents();
                             }
                             vm::SetProperty("WupdateFile", "Label_1", "Caption",
                                             "Download Parcial Completo");
                             vm::DoMethod("WupdateFile", "release");
                             // The form is gone when this runs: nothing happens.
                             vm::SetProperty("WupdateFile", "Label_1", "Caption", "late");
                             workerDone = true;
                         });
                     },
                 .onRelease =
                     [&] {
                         captionAtRelease =
                             vm::GetProperty("WupdateFile", "Label_1", "value").text();
                         progressAtRelease = vm::GetProperty("WupdateFile", "Pg_1", "value");
                     },
                 .kind = vm::WindowKind::Child});
            vm::DefineLabel({.name = "Label_1", .col = 10, .row = 80, .width = 440});
            vm::DefineProgressBar({.name = "Pg_1", .col = 20, .row = 100});
            vm::EndWindow();
            vm::DoMethod("WupdateFile", "activate");
            VM_TRY_TRUE(workerDone.load());
            worker.join();
        });
    EXPECT_TRUE(everyChangeWasApplied);
    EXPECT_EQ(captionAtRelease, "Download Parcial Completo");
    EXPECT_EQ(progressAtRelease, FormValue(100));
    EXPECT_EQ(m_endCodes, std::vector<int>{0});  // only the test's own release of the main form
    EXPECT_TRUE(m_dialogs.shown.empty());        // no error box
}

TEST_F(FormLifecycleTest, DoEventsRunsPendingWorkAndReturnsAtOnceOnAWorker) {
    bool ran = false;
    QMetaObject::invokeMethod(
        qApp, [&] { ran = true; }, Qt::QueuedConnection);
    vm::DoEvents();
    EXPECT_TRUE(ran);

    // The event-loop thread waits for the worker: DoEvents there must not need it.
    std::thread worker([] { vm::DoEvents(); });
    worker.join();
}

}  // namespace
