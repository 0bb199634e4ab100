// The printer list, the printer choice dialog and opening a printer.

#include "print/printers.h"

#include <QComboBox>
#include <QDialog>
#include <QPushButton>
#include <QTest>
#include <algorithm>

#include "print/print_job.h"
#include "print_test_support.h"

namespace {

using namespace vm;
using vm::testing::CupsQueueOutputFolder;
using vm::testing::kCupsQueue;

TEST(Printers, ListEndsWithTheBuiltInPdfPrinterOnceAndHoldsTheDefault) {
    const std::vector<std::string> printers = aPrinters();
    ASSERT_FALSE(printers.empty());
    EXPECT_EQ(printers.back(), "PDF");
    EXPECT_EQ(std::count(printers.begin(), printers.end(), "PDF"), 1);
    const std::string defaultPrinter = GetDefaultPrinter();
    EXPECT_FALSE(defaultPrinter.empty());
    EXPECT_NE(std::find(printers.begin(), printers.end(), defaultPrinter), printers.end())
        << defaultPrinter;
}

TEST(Printers, ListHoldsTheCupsQueue) {
    std::string reason;
    if (!CupsQueueOutputFolder(&reason)) {
        GTEST_SKIP() << reason;
    }
    const std::vector<std::string> printers = aPrinters();
    EXPECT_NE(std::find(printers.begin(), printers.end(), kCupsQueue), printers.end());
}

// The printer choice dialog, driven as the user would: what the driver does, what GetPrinter
// returns.
struct ChoiceCase {
    const char* name;
    enum class Action { OkOnDefault, ChoosePdfThenOk, Cancel, Escape, EnterOnDefault } action;
    bool returnsDefault;  // else "PDF" for ChoosePdfThenOk, "" for the others
};

void PrintTo(const ChoiceCase& c, std::ostream* os) {
    *os << c.name;
}

class PrinterChoice : public PrintTest, public ::testing::WithParamInterface<ChoiceCase> {};

TEST_P(PrinterChoice, ReturnsWhatTheUserChose) {
    const ChoiceCase c = GetParam();
    std::vector<std::string> sorted = aPrinters();
    std::sort(sorted.begin(), sorted.end());
    const std::string defaultPrinter = GetDefaultPrinter();

    bool inspected = false;
    m_dialogs.dialogDriver = [&](QDialog& dialog, const std::string& purpose) {
        EXPECT_EQ(purpose, "GetPrinter");
        auto* list = dialog.findChild<QComboBox*>(QStringLiteral("Printers"));
        auto* ok = dialog.findChild<QPushButton*>(QStringLiteral("Ok"));
        auto* cancel = dialog.findChild<QPushButton*>(QStringLiteral("Cancel"));
        if (list == nullptr || ok == nullptr || cancel == nullptr) {
            ADD_FAILURE() << "the dialog lacks its list or buttons";
            return static_cast<int>(QDialog::Rejected);
        }
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Selecione a Impressora"));
        EXPECT_EQ(dialog.size(), QSize(345, 100));
        EXPECT_EQ(ok->text(), QStringLiteral("Ok"));
        EXPECT_EQ(cancel->text(), QStringLiteral("Cancelar"));
        EXPECT_EQ(ok->geometry(), QRect(65, 53, 100, 28));
        EXPECT_EQ(cancel->geometry(), QRect(175, 53, 100, 28));
        EXPECT_EQ(list->geometry().topLeft(), QPoint(10, 15));
        EXPECT_EQ(list->width(), 320);
        std::vector<std::string> shown;
        for (int i = 0; i < list->count(); ++i) {
            shown.push_back(list->itemText(i).toStdString());
        }
        EXPECT_EQ(shown, sorted);
        EXPECT_EQ(list->currentText().toStdString(), defaultPrinter);
        inspected = true;

        dialog.show();
        if (!QTest::qWaitForWindowExposed(&dialog)) {
            ADD_FAILURE() << "the dialog was not shown";
        }
        switch (c.action) {
            case ChoiceCase::Action::OkOnDefault:
                QTest::mouseClick(ok, Qt::LeftButton);
                break;
            case ChoiceCase::Action::ChoosePdfThenOk:
                list->setCurrentIndex(list->findText(QStringLiteral("PDF")));
                QTest::mouseClick(ok, Qt::LeftButton);
                break;
            case ChoiceCase::Action::Cancel:
                QTest::mouseClick(cancel, Qt::LeftButton);
                break;
            case ChoiceCase::Action::Escape:
                QTest::keyClick(&dialog, Qt::Key_Escape);
                break;
            case ChoiceCase::Action::EnterOnDefault:
                QTest::keyClick(list, Qt::Key_Return);
                break;
        }
        return dialog.result();
    };

    const std::string chosen = GetPrinter();
    EXPECT_TRUE(inspected);
    switch (c.action) {
        case ChoiceCase::Action::OkOnDefault:
        case ChoiceCase::Action::EnterOnDefault:
            EXPECT_EQ(chosen, defaultPrinter);
            break;
        case ChoiceCase::Action::ChoosePdfThenOk:
            EXPECT_EQ(chosen, "PDF");
            break;
        case ChoiceCase::Action::Cancel:
        case ChoiceCase::Action::Escape:
            EXPECT_EQ(chosen, "");
            break;
    }
    EXPECT_EQ(m_dialogs.dialogsRun, std::vector<std::string>{"GetPrinter"});
}

INSTANTIATE_TEST_SUITE_P(
    Dialog, PrinterChoice,
    ::testing::Values(ChoiceCase{"OkOnDefault", ChoiceCase::Action::OkOnDefault, true},
                      ChoiceCase{"EnterOnDefault", ChoiceCase::Action::EnterOnDefault, true},
                      ChoiceCase{"ChoosePdfThenOk", ChoiceCase::Action::ChoosePdfThenOk, false},
                      ChoiceCase{"Cancel", ChoiceCase::Action::Cancel, false},
                      ChoiceCase{"Escape", ChoiceCase::Action::Escape, false}),
    [](const ::testing::TestParamInfo<ChoiceCase>& info) { return std::string(info.param.name); });

// Opening fails: the box that says which step failed, and nothing opened.
struct FailureCase {
    const char* name;
    std::string printer;
    int orientation, paperSize, paperLength, paperWidth, copies, duplex;
    const char* message;
};

void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.name;
}

class PrinterFailure : public PrintTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(PrinterFailure, ShowsTheFailureBoxAndOpensNothing) {
    const FailureCase& c = GetParam();
    const PrinterProperties opened =
        SetPrinterProperties(c.printer, c.orientation, c.paperSize, c.paperLength, c.paperWidth,
                             c.copies, kLeaveAsIs, kLeaveAsIs, kLeaveAsIs, c.duplex, kLeaveAsIs);
    EXPECT_EQ(opened.printer, nullptr);
    EXPECT_EQ(opened.name, "");
    EXPECT_EQ(opened.copies, 0);
    EXPECT_EQ(opened.collate, 0);
    ASSERT_EQ(m_dialogs.shown.size(), 1u);
    EXPECT_EQ(m_dialogs.shown[0].message.title, "Error!");
    EXPECT_EQ(m_dialogs.shown[0].message.text, c.message);
    EXPECT_EQ(m_dialogs.shown[0].message.icon, MessageIcon::Stop);
    EXPECT_TRUE(m_dialogs.shown[0].message.systemModal);
}

constexpr int L = kLeaveAsIs;
INSTANTIATE_TEST_SUITE_P(
    Opening, PrinterFailure,
    ::testing::Values(
        FailureCase{"UnknownPrinter", "No_Such_Printer_Here", 1, 9, L, L, L, 1,
                    "Printer Configuration Failed! (001)"},
        FailureCase{"NoName", "", 1, 9, L, L, L, 1, "Printer Configuration Failed! (001)"},
        FailureCase{"UnknownPaper", "PDF", L, 4711, L, L, L, L,
                    "Printer Configuration Failed! (008)"},
        FailureCase{"BadOrientation", "PDF", 3, L, L, L, L, L,
                    "Printer Configuration Failed! (008)"},
        FailureCase{"PaperLengthWithoutWidth", "PDF", L, L, 297, L, L, L,
                    "Printer Configuration Failed! (008)"},
        FailureCase{"NoCopies", "PDF", L, L, L, L, 0, L, "Printer Configuration Failed! (008)"},
        FailureCase{"BadDuplex", "PDF", L, L, L, L, L, 7, "Printer Configuration Failed! (008)"}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

// The settings the report asks for, on both kinds of printer.
void ExpectReportSettings(const PrinterProperties& opened, const std::string& name) {
    ASSERT_NE(opened.printer, nullptr);
    EXPECT_EQ(opened.name, name);
    const QPageLayout layout = opened.printer->pageLayout();
    EXPECT_EQ(layout.pageSize().id(), QPageSize::A4);
    EXPECT_EQ(layout.orientation(), QPageLayout::Portrait);
    EXPECT_EQ(opened.printer->duplex(), QPrinter::DuplexNone);
    EXPECT_GE(opened.copies, 1);
    EXPECT_EQ(opened.collate, opened.printer->collateCopies() ? 1 : 0);
    // The page files are drawn for the printer's own resolution on an A4 sheet.
    EXPECT_EQ(opened.device.logPixelsX, opened.printer->resolution());
    const double sheetWidthMm = (opened.device.horzRes + 0.0) * 25.4 / opened.device.logPixelsX;
    EXPECT_LE(sheetWidthMm, 210.5);
    EXPECT_GE(opened.device.horzSizeMm, 150);
    EXPECT_LE(opened.device.vertSizeMm, 297);
}

TEST_F(PrintTest, PdfPrinterOpensForA4SimplexPortraitWithoutMargins) {
    const PrinterProperties opened = SetPrinterProperties("PDF", kOrientationPortrait, kPaperA4, L,
                                                          L, L, L, L, L, kDuplexSimplex, L);
    ExpectReportSettings(opened, "PDF");
    EXPECT_EQ(opened.device, ReferenceDevice::A4());
    EXPECT_EQ(opened.printer->outputFormat(), QPrinter::PdfFormat);
    EXPECT_TRUE(m_dialogs.shown.empty());
}

TEST_F(PrintTest, CupsQueueOpensForA4SimplexPortrait) {
    std::string reason;
    if (!CupsQueueOutputFolder(&reason)) {
        GTEST_SKIP() << reason;
    }
    // The orientation is applied as asked: landscape when asked, portrait for the report.
    const PrinterProperties landscape = SetPrinterProperties(
        kCupsQueue, kOrientationLandscape, kPaperA4, L, L, L, L, L, L, kDuplexSimplex, L);
    ASSERT_NE(landscape.printer, nullptr);
    EXPECT_EQ(landscape.printer->pageLayout().orientation(), QPageLayout::Landscape);

    const PrinterProperties opened = SetPrinterProperties(
        kCupsQueue, kOrientationPortrait, kPaperA4, L, L, L, L, L, L, kDuplexSimplex, L);
    ExpectReportSettings(opened, kCupsQueue);
    EXPECT_EQ(opened.printer->outputFormat(), QPrinter::NativeFormat);
    EXPECT_EQ(opened.printer->printerName().toStdString(), kCupsQueue);
    EXPECT_TRUE(m_dialogs.shown.empty());
}

}  // namespace
