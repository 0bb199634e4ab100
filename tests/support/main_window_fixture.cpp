#include "tests/support/main_window_fixture.h"

#include <stdlib.h>

#include <QAction>
#include <QTimer>
#include <QWidget>
#include <string>

#include "core/program_values.h"
#include "program/main_window.h"
#include "runtime/startup.h"
#include "runtime/process.h"

namespace fs = std::filesystem;

void MainWindowFixture::SetUp() {
    UiTest::SetUp();
    std::string pattern =
        (fs::temp_directory_path() / (std::string(m_folderPrefix) + "-XXXXXX")).string();
    m_dir = mkdtemp(pattern.data());
    vm::StartWithoutWindow();
    vm::programValues().DirPdf = m_dir.string() + "/";
    vm::mainWindowProcedures() = {};
}

void MainWindowFixture::TearDown() {
    UiTest::TearDown();
    fs::remove_all(m_dir);
}

void MainWindowFixture::runWindow(const std::function<void()>& body,
                                  const std::function<void()>& duringInit) {
    bool initRan = false;
    std::function<void()> runBody;
    vm::mainWindowProcedures().update = [&](bool manual) {
        if (!manual && duringInit) {
            // Events run inside it (a box): the body is queued only once it is done.
            duringInit();
            QTimer::singleShot(0, runBody);
        }
        initRan = !manual;
    };
    vm::DefineMainWindow();
    bool ran = false;
    runBody = [&] {
        ran = true;
        try {
            if (!QTest::qWaitFor([&] { return initRan; }, 5000)) {
                ADD_FAILURE() << "the on-init procedure never ran";
            }
            if (!initRan) {
                // reported above
            } else if (vm::FormWidget("wmenu")->activateWindow(),
                       QTest::qWaitForWindowActive(vm::FormWidget("wmenu"))) {
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
    // Activation processes the events pending before its on-init procedure runs; the body is
    // queued from there so that it runs in the window's own event loop, after on-init.
    if (!duringInit) {
        QTimer::singleShot(0, [&] { QTimer::singleShot(0, runBody); });
    }
    vm::DoMethod("wmenu", "activate");
    EXPECT_TRUE(ran);
}

QAction* menuAction(const QString& caption) {
    for (QAction* action : vm::FormWidget("wmenu")->findChildren<QAction*>()) {
        if (action->text() == caption) {
            return action;
        }
    }
    return nullptr;
}
