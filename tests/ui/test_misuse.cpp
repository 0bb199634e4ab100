// Misuse of the form layer is a fatal "MGERROR" run-time error with the exact message. In process
// the test's end handler observes the end (the error handler then throws ProcessEnded); two death
// tests check that the real process ends with exit code 0.
#include <cstdio>

#include "runtime/error_handler.h"
#include "runtime/process.h"
#include "tests/support/ui_test_support.h"

namespace {

class MisuseTest : public UiTest {
protected:
    void defineMain() {
        vm::DefineWindow({.name = "Main", .kind = vm::WindowKind::Main});
        vm::DefineLabel({.name = "lbl"});
        vm::DefineTextBox({.name = "txt"});
    }
    void defineChild(vm::Callback onInit = {}, vm::Callback onRelease = {}) {
        vm::DefineWindow({.name = "Child",
                          .onInit = std::move(onInit),
                          .onRelease = std::move(onRelease),
                          .kind = vm::WindowKind::Child});
        vm::EndWindow();
    }
};

TEST_F(MisuseTest, EachMisuseRaisesMgErrorWithItsMessage) {
    struct Case {
        const char* title;
        std::function<void()> steps;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"property of an unknown control",
         [&] {
             defineMain();
             vm::EndWindow();
             vm::GetProperty("MAIN", "nothere", "value");
         },
         "Control: nothere Of MAIN Not defined."},
        {"method of an unknown control",
         [&] {
             defineMain();
             vm::EndWindow();
             vm::DoMethod("main", "ghost", "Hide");
         },
         "Control: ghost Of main Not defined."},
        {"property of an unknown form", [] { vm::SetProperty("ghost", "lbl", "value", "x"); },
         "Window: ghost is not defined."},
        {"method of an unknown form", [] { vm::DoMethod("ghost", "center"); },
         "Window: ghost is not defined."},
        {"form name in use",
         [&] {
             defineMain();
             vm::EndWindow();
             vm::DefineWindow({.name = "MAIN", .kind = vm::WindowKind::Child});
         },
         "Window: MAIN is already defined."},
        {"second main form",
         [&] {
             defineMain();
             vm::EndWindow();
             vm::DefineWindow({.name = "Other", .kind = vm::WindowKind::Main});
         },
         "Main Window is already defined."},
        {"child before the main form", [&] { defineChild(); }, "Main Window is not defined."},
        {"control name in use",
         [&] {
             defineMain();
             vm::DefineCheckBox({.name = "LBL"});
         },
         "Control: LBL Of Main Already defined."},
        {"text box name in use",
         [&] {
             defineMain();
             vm::DefineMaskedTextBox({.name = "TXT", .mask = "999"});
         },
         "Control: TXT of Main already defined."},
        {"activating an unknown form", [] { vm::DoMethod("ghost", "activate"); },
         "Window ghost is not defined."},
        {"activating an active form",
         [&] {
             vm::DefineWindow({.name = "Main",
                               .onInit = [] { vm::DoMethod("main", "activate"); },
                               .kind = vm::WindowKind::Main});
             vm::EndWindow();
             vm::DoMethod("Main", "activate");
         },
         "Window main already active."},
        {"activating before the definition is closed",
         [&] {
             defineMain();
             vm::DoMethod("Main", "activate");
         },
         "ACTIVATE WINDOW: DEFINE WINDOW Structure is not closed."},
        {"activating a child before the main form",
         [&] {
             defineMain();
             vm::EndWindow();
             defineChild();
             vm::DoMethod("Child", "activate");
         },
         "ACTIVATE WINDOW: Main Window must be activated in the first ACTIVATE WINDOW command."},
        {"releasing a form that is not active",
         [&] {
             defineMain();
             vm::EndWindow();
             vm::DoMethod("Main", "release");
         },
         "Window: Main is not active."},
        {"releasing an unknown form", [] { vm::DoMethod("ghost", "release"); },
         "Window: ghost is not defined."},
        {"releasing the main form in an on-release procedure",
         [&] {
             vm::DefineWindow({.name = "Main",
                               .onInit = [] { vm::DoMethod("Main", "release"); },
                               .onRelease = [] { vm::DoMethod("Main", "release"); },
                               .kind = vm::WindowKind::Main});
             vm::EndWindow();
             vm::DoMethod("Main", "activate");
         },
         "Release a window in its own ON RELEASE procedure or release the Main Window in any "
         "ON RELEASE procedure is not allowed."},
        {"releasing a child in its own on-release procedure",
         [&] {
             vm::DefineWindow({.name = "Main",
                               .onInit =
                                   [&] {
                                       defineChild([] { vm::DoMethod("Main", "release"); },
                                                   [] { vm::DoMethod("Child", "release"); });
                                       vm::DoMethod("Child", "activate");
                                   },
                               .kind = vm::WindowKind::Main});
             vm::EndWindow();
             vm::DoMethod("Main", "activate");
         },
         "Release a window in its own ON RELEASE procedure or release the Main Window in any "
         "ON RELEASE procedure is not allowed."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        m_endCodes.clear();
        m_dialogs.shown.clear();
        vm::ResetErrorHandlerRun();
        EXPECT_THROW(c.steps(), vm::ProcessEnded);
        EXPECT_EQ(m_endCodes, std::vector<int>{vm::kFatalExitCode});
        ASSERT_EQ(m_dialogs.shown.size(), 1u);
        const vm::MessageRequest& box = m_dialogs.shown[0].message;
        EXPECT_EQ(box.title, "Program Error");
        EXPECT_EQ(box.icon, vm::MessageIcon::Stop);
        EXPECT_EQ(box.text.rfind("Error MGERROR/0  " + c.message + " Program terminated.", 0), 0u)
            << box.text;
        vm::ReleaseAllWindows();
    }
}

// Shows every message box on standard error, so that a death test can match it.
class StderrDialogs final : public vm::DialogSeam {
public:
    vm::MessageAnswer showMessage(const vm::MessageRequest& request) override {
        std::fprintf(stderr, "[%s] %s\n", request.title.c_str(), request.text.c_str());
        return vm::MessageAnswer::Ok;
    }
};

// A misuse ends the real process with exit code 1; the main window's release ends it with 0.
TEST_F(MisuseTest, TheRealProcessEndsWithExitCodeOneOrReleaseWithZero) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            static StderrDialogs seam;
            vm::SetDialogSeam(&seam);
            vm::SetEndProcessHandler({});
            vm::GetProperty("nowhere", "x", "value");
        },
        ::testing::ExitedWithCode(vm::kFatalExitCode),
        "\\[Program Error\\] Error MGERROR/0  Window: nowhere is not defined\\.");

    EXPECT_EXIT(
        {
            vm::SetEndProcessHandler({});
            vm::DefineWindow({.name = "wmenu",
                              .onInit = [] { vm::DoMethod("wmenu", "release"); },
                              .onRelease = [] { std::fprintf(stderr, "on release ran\n"); },
                              .kind = vm::WindowKind::Main});
            vm::EndWindow();
            vm::DoMethod("wmenu", "activate");
            std::fprintf(stderr, "activate returned\n");
        },
        ::testing::ExitedWithCode(0), "on release ran\n$");
}

}  // namespace
