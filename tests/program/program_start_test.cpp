// The program's start routine in a process of its own, so that its first paint is the first:
// the window is painted before CUPS is asked for the default printer, and the answer is in PrintX
// right after.
#include "program/program_start.h"

#include <QApplication>

#include "core/program_values.h"
#include "print/printers.h"
#include "program/first_paint.h"
#include "tests/support/ui_test_support.h"

namespace {

// Runs `atPaint` at the first paint of a window, before anything queued for after it runs.
class PaintWatch final : public QObject {
public:
    explicit PaintWatch(std::function<void()> atPaint) : m_atPaint(std::move(atPaint)) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (m_atPaint && vm::IsWindowPaint(watched, event)) {
            std::exchange(m_atPaint, {})();
        }
        return false;
    }

private:
    std::function<void()> m_atPaint;
};

using ProgramStartTest = UiTest;

TEST_F(ProgramStartTest, PaintsTheMainWindowFirstThenAsksForTheDefaultPrinter) {
    vm::programValues().PrintX = "not asked yet";
    std::vector<std::string> seen;
    bool windowHasIcon = false;
    // Tasks given before the paint run after it, in order, each once.
    vm::AfterFirstPaint([&] { seen.push_back("first task"); });
    vm::AfterFirstPaint([&] { seen.push_back("second task"); });
    PaintWatch watch([&] {
        seen.push_back("painted " + vm::programValues().PrintX);
        // The icon "qtv" comes from the program's resources, which the program links itself.
        windowHasIcon = !vm::FormWidget("wmenu")->windowIcon().isNull();
        vm::AfterFirstPaint([&] {
            seen.push_back("after " + vm::programValues().PrintX);
            vm::DoMethod("wmenu", "release");
        });
    });
    qApp->installEventFilter(&watch);

    EXPECT_EQ(vm::StartProgram({.checkForUpdates = false}), 0);
    qApp->removeEventFilter(&watch);

    // Start-up empties PrintX; CUPS is asked once the window has been painted.
    const std::string printer = vm::GetDefaultPrinter();
    EXPECT_EQ(seen, (std::vector<std::string>{"painted ", "first task", "second task",
                                              "after " + printer}));
    EXPECT_EQ(m_endCodes, std::vector<int>{0});
    EXPECT_TRUE(windowHasIcon);
}

}  // namespace
