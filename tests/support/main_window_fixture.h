#pragma once
// Shared by the tests that drive the main window "wmenu": a fixture that starts the program
// without a window in a temporary folder, clears the window's procedures for the test to set, and
// runs a test body inside the window once its on-init procedure has run; and the menu items.

#include <QString>
#include <filesystem>
#include <functional>

#include "tests/support/ui_test_support.h"

class QAction;

class MainWindowFixture : public UiTest {
protected:
    // The temporary folder is made under the system's, named `folderPrefix` and a random suffix.
    explicit MainWindowFixture(const char* folderPrefix) : m_folderPrefix(folderPrefix) {}

    // A temporary folder as m_dir, which also receives the PDF files; start-up without a window;
    // no procedures for the window (a test sets the ones it needs).
    void SetUp() override;
    void TearDown() override;

    // Builds "wmenu" as start-up does, activates it and runs `body` once its on-init procedure
    // (the update check, then TelaRefresh) has run. `duringInit` runs inside the on-init
    // procedure, where the quiet update check runs.
    void runWindow(const std::function<void()>& body, const std::function<void()>& duringInit = {});

    std::filesystem::path m_dir;

private:
    const char* m_folderPrefix;
};

// The action of a main-window menu item by its caption ("&Novo"); null when there is none.
QAction* menuAction(const QString& caption);
