#include "tests/support/ui_test_support.h"

#include <QApplication>
#include <QTimer>

#include "runtime/error_handler.h"
#include "runtime/html_log.h"
#include "runtime/process.h"
#include "ui/dialogs.h"

namespace {}  // namespace

void UiTest::SetUp() {
    vm::ResetErrorHandlerRun();
    vm::SetErrorLogOn(false);
    vm::SetEndProcessHandler([this](int code) { m_endCodes.push_back(code); });
    vm::SetBeepHandler([this] { ++m_beeps; });
    m_previousSeam = &vm::dialogSeam();
    vm::SetDialogSeam(&m_dialogs);
    vm::SetEnterNavigation(false);
}

void UiTest::TearDown() {
    vm::ReleaseAllWindows();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    vm::SetDialogSeam(m_previousSeam);
    vm::SetBeepHandler({});
    vm::SetEndProcessHandler({});
}

void UiTest::runInMainForm(const std::function<void()>& defineControls,
                           const std::function<void()>& body) {
    vm::DefineWindow({.name = "wtest",
                      .title = "Test",
                      .width = 400,
                      .height = 300,
                      .kind = vm::WindowKind::Main});
    defineControls();
    vm::EndWindow();
    runWhileActive(
        "wtest", [](QWidget* window) { return QTest::qWaitForWindowActive(window); },
        "the main form never became active", body);
}

void UiTest::runWhileActive(const std::string& form, const std::function<bool(QWidget*)>& ready,
                            const char* notReady, const std::function<void()>& body) {
    bool ran = false;
    QTimer::singleShot(0, [&] {
        ran = true;
        try {
            if (ready(vm::FormWidget(form))) {
                body();
            } else {
                ADD_FAILURE() << notReady;
            }
        } catch (const vm::ProcessEnded&) {
            ADD_FAILURE() << "a fatal error ended the program inside the test body";
        }
        if (vm::IsWindowActive(form)) {
            vm::DoMethod(form, "release");
        }
    });
    vm::DoMethod(form, "activate");
    EXPECT_TRUE(ran);
}

bool UiTest::focusControl(const std::string& form, const std::string& control, int option) {
    QWidget* widget = vm::ControlWidget(form, control, option);
    if (widget == nullptr) {
        return false;
    }
    widget->setFocus(Qt::TabFocusReason);
    return QTest::qWaitFor([widget] { return widget->hasFocus(); }, 5000);
}
