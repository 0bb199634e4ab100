#pragma once
// Shared by the widget tests: one QApplication for the whole run, a fixture that replaces the end
// of the process and the dialogs, and a helper that runs a test body inside an activated main form.

#include <gtest/gtest.h>

#include <QTest>
#include <functional>
#include <string>
#include <vector>

class QWidget;

#include "ui/form_layer.h"
#include "ui/scripted_dialogs.h"

// Waits (processing events) until the condition holds; fails the test after five seconds.
#define VM_TRY_TRUE(cond) \
    ASSERT_TRUE(QTest::qWaitFor([&]() -> bool { return static_cast<bool>(cond); }, 5000)) << #cond
#define VM_TRY_EQ(actual, expected)                                                   \
    do {                                                                              \
        static_cast<void>(                                                            \
            QTest::qWaitFor([&]() -> bool { return (actual) == (expected); }, 5000)); \
        ASSERT_EQ(actual, expected);                                                  \
    } while (0)

class UiTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Defines the main form "wtest" (400 x 300), lets `defineControls` add its controls, activates
    // it, runs `body` once the window is active and its first control has the focus, then releases
    // the form. Returns when the activation returns.
    void runInMainForm(const std::function<void()>& defineControls,
                       const std::function<void()>& body);

    // Activates the defined main form `form`, runs `body` in its event loop once `ready` holds for
    // its window (failing with `notReady` when it never does), then releases the form if it is
    // still active. Returns when the activation returns.
    static void runWhileActive(const std::string& form, const std::function<bool(QWidget*)>& ready,
                               const char* notReady, const std::function<void()>& body);

    // Moves the keyboard focus to the control and waits until it has it.
    static bool focusControl(const std::string& form, const std::string& control, int option = 0);

    vm::ScriptedDialogs m_dialogs;
    std::vector<int> m_endCodes;  // every EndProcess call
    int m_beeps = 0;

private:
    vm::DialogSeam* m_previousSeam = nullptr;
};
