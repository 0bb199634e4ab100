// The preview's go-to-page and print dialogs: their controls and how they enable each other, and
// what they make the preview do; printing goes to a real PDF file checked with poppler's tools.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>

#include "preview/preview_dialogs.h"
#include "preview_test_support.h"
#include "print/print_job.h"
#include "ui/qt_text.h"

namespace {

using vm::PageParity;
using vm::PrintChoice;

template <class T>
T* Find(QDialog& dialog, const char* name) {
    T* widget = dialog.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

std::string Text(QWidget* w) {
    if (auto* label = qobject_cast<QLabel*>(w)) {
        return vm::fromQt(label->text());
    }
    if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        return vm::fromQt(button->text());
    }
    return {};
}

// The text of each page of a PDF, by pdftotext.
QStringList PdfPages(const QString& pdf) {
    QProcess text;
    text.start("pdftotext", {"-layout", pdf, "-"});
    if (!text.waitForFinished(30000)) {
        return {};
    }
    QStringList pages = QString::fromUtf8(text.readAllStandardOutput()).split('\f');
    if (!pages.isEmpty() && pages.back().trimmed().isEmpty()) {
        pages.removeLast();
    }
    return pages;
}

// Which "PAGE n" each sheet shows.
std::vector<int> PrintedOrder(const QString& pdf) {
    std::vector<int> order;
    for (const QString& page : PdfPages(pdf)) {
        const int at = page.indexOf("PAGE ");
        order.push_back(at < 0 ? 0
                               : page.mid(at + 5).split(QRegularExpression("\\s")).front().toInt());
    }
    return order;
}

TEST(PreviewPrintOrder, RangeFilterCopiesAndCollation) {
    struct Case {
        const char* title;
        PrintChoice choice;
        int pageCount;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {"everything once", {true, 1, 1, PageParity::All, 1, false}, 3, {1, 2, 3}},
        {"Tudo ignores the odd/even list", {true, 2, 2, PageParity::Odd, 1, false}, 3, {1, 2, 3}},
        {"two copies in turn", {true, 1, 3, PageParity::All, 2, false}, 3, {1, 2, 3, 1, 2, 3}},
        {"two copies collated", {true, 1, 3, PageParity::All, 2, true}, 3, {1, 1, 2, 2, 3, 3}},
        {"1 to 3, odd, 2 collated", {false, 1, 3, PageParity::Odd, 2, true}, 4, {1, 1, 3, 3}},
        {"1 to 3, odd, 2 in turn", {false, 1, 3, PageParity::Odd, 2, false}, 4, {1, 3, 1, 3}},
        {"2 to 4, even", {false, 2, 4, PageParity::Even, 1, false}, 4, {2, 4}},
        {"one page range", {false, 3, 3, PageParity::All, 3, false}, 4, {3, 3, 3}},
        {"odd filter leaves nothing", {false, 2, 2, PageParity::Odd, 1, false}, 4, {}},
        {"from after to", {false, 3, 2, PageParity::All, 1, false}, 4, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        EXPECT_EQ(vm::PrintOrderFor(c.choice, c.pageCount), c.expected);
    }
}

class PreviewDialogTest : public PreviewTest {};

TEST_F(PreviewDialogTest, GoToPageShowsTheChosenPageAndCancelKeepsTheCurrentOne) {
    MakeJob(4);
    std::vector<std::string> seen;
    ExpectOpened(RunPreview([&] {
        struct Step {
            const char* what;
            std::function<void()> open;
            std::function<int(QDialog&)> answer;
            int page;
        };
        const Step steps[] = {
            {"Ctrl+G, 3, Ok", [] { PressKey(kPreviewForm, Qt::Key_G, Qt::ControlModifier); },
             [](QDialog& d) {
                 Find<QSpinBox>(d, "Spinner_1")->setValue(3);
                 return int(QDialog::Accepted);
             },
             3},
            {"button, 1, Cancel", [] { QTest::mouseClick(BarButton("GoToPage"), Qt::LeftButton); },
             [](QDialog& d) {
                 Find<QSpinBox>(d, "Spinner_1")->setValue(1);
                 return int(QDialog::Rejected);
             },
             3},
            // The real dialog, typed into: Enter acts as Ok.
            {"typing 2 and Enter", [] { PressKey(kBarForm, Qt::Key_G, Qt::ControlModifier); },
             [](QDialog& d) {
                 QTimer::singleShot(0, &d, [&d] {
                     QSpinBox* spinner = d.findChild<QSpinBox*>("Spinner_1");
                     spinner->selectAll();
                     QTest::keyClicks(spinner, "2");
                     QTest::keyClick(spinner, Qt::Key_Return);
                 });
                 return d.exec();
             },
             2},
            {"typing 4 and Escape", [] { PressKey(kBarForm, Qt::Key_G, Qt::ControlModifier); },
             [](QDialog& d) {
                 QTimer::singleShot(0, &d, [&d] {
                     QSpinBox* spinner = d.findChild<QSpinBox*>("Spinner_1");
                     spinner->selectAll();
                     QTest::keyClicks(spinner, "4");
                     QTest::keyClick(spinner, Qt::Key_Escape);
                 });
                 return d.exec();
             },
             2},
        };
        for (const Step& s : steps) {
            SCOPED_TRACE(s.what);
            m_dialogs.dialogDriver = [&](QDialog& d, const std::string& purpose) -> int {
                seen.push_back(purpose);
                EXPECT_EQ(vm::fromQt(d.windowTitle()), "Ir Para a P\xE1gina N\xBA");
                EXPECT_EQ(Text(Find<QLabel>(d, "Label_1")), "P\xE1gina:");
                QSpinBox* spinner = Find<QSpinBox>(d, "Spinner_1");
                EXPECT_EQ(spinner->minimum(), 1);
                EXPECT_EQ(spinner->maximum(), 4);
                EXPECT_EQ(spinner->value(),
                          vm::fromQt(vm::FormWidget(kPreviewForm)->windowTitle())[8] - '0');
                EXPECT_EQ(Text(Find<QPushButton>(d, "Ok")), "Ok");
                EXPECT_EQ(Text(Find<QPushButton>(d, "Cancel")), "Cancelar");
                // The preview and its bar wait disabled.
                EXPECT_FALSE(vm::FormWidget(kPreviewForm)->isEnabled());
                EXPECT_FALSE(vm::FormWidget(kBarForm)->isEnabled());
                return s.answer(d);
            };
            s.open();
            EXPECT_EQ(Title(), "P\xE1gina [" + std::to_string(s.page) + "/4]");
            EXPECT_TRUE(vm::FormWidget(kPreviewForm)->isEnabled());
            EXPECT_TRUE(vm::FormWidget(kBarForm)->isEnabled());
        }
    }));
    EXPECT_EQ(seen, std::vector<std::string>(4, "PreviewGoToPage"));
}

TEST_F(PreviewDialogTest, PrintDialogStartsOnEverythingAndEnablesRangeAndCollationAsChosen) {
    MakeJob(4);
    vm::printJob().nCopies = 1;
    const QString pdf = Folder() + "/out.pdf";
    ExpectOpened(RunPreview([&] {
        int runs = 0;
        m_dialogs.dialogDriver = [&](QDialog& d, const std::string& purpose) -> int {
            ++runs;
            EXPECT_EQ(purpose, "PreviewPrint");
            EXPECT_EQ(vm::fromQt(d.windowTitle()), "Imprimir");
            auto* all = Find<QRadioButton>(d, "Radio_1_1");
            auto* range = Find<QRadioButton>(d, "Radio_1_2");
            auto* from = Find<QSpinBox>(d, "Spinner_1");
            auto* to = Find<QSpinBox>(d, "Spinner_2");
            auto* parity = Find<QComboBox>(d, "Combo_1");
            auto* copies = Find<QSpinBox>(d, "Spinner_3");
            auto* collate = Find<QCheckBox>(d, "CheckBox_1");
            std::vector<QWidget*> rangeControls = {Find<QLabel>(d, "Label_1"), from,
                                                   Find<QLabel>(d, "Label_2"), to,
                                                   Find<QLabel>(d, "Label_4"), parity};
            auto rangeEnabled = [&](bool enabled) {
                for (QWidget* w : rangeControls) {
                    EXPECT_EQ(w->isEnabled(), enabled) << w->objectName().toStdString();
                }
            };
            // Every opening starts on "Tudo" with the range disabled.
            EXPECT_TRUE(all->isChecked());
            rangeEnabled(false);
            EXPECT_TRUE(copies->isEnabled());
            if (runs == 1) {
                EXPECT_EQ(Text(all), "Tudo");
                EXPECT_EQ(Text(range), "P\xE1ginas");
                EXPECT_EQ(Text(Find<QLabel>(d, "Label_1")), "De:");
                EXPECT_EQ(Text(Find<QLabel>(d, "Label_2")), "At\xE9:");
                EXPECT_EQ(Text(Find<QLabel>(d, "Label_4")), "Imprimir:");
                EXPECT_EQ(Text(Find<QLabel>(d, "Label_3")), "N\xBA de C\xF3pias:");
                EXPECT_EQ(Text(collate), "Ordenar C\xF3pias");
                EXPECT_EQ(vm::fromQt(Find<QWidget>(d, "Frame_1")->property("title").toString()),
                          "Intervalo de Impress\xE3o");
                EXPECT_EQ(parity->count(), 3);
                EXPECT_EQ(vm::fromQt(parity->itemText(1)), " Somente P\xE1ginas Impares");
                EXPECT_EQ(vm::fromQt(parity->itemText(2)), " Somente P\xE1ginas Pares");
                EXPECT_EQ(from->value(), 1);
                EXPECT_EQ(to->value(), 4);
                EXPECT_EQ(to->maximum(), 4);
                EXPECT_EQ(copies->value(), 1);
                EXPECT_EQ(copies->maximum(), 999);
                // Unticked (the preview resets the job's collation) and idle with one copy.
                EXPECT_FALSE(collate->isChecked());
                EXPECT_FALSE(collate->isEnabled());
                EXPECT_FALSE(vm::FormWidget(kPreviewForm)->isEnabled());

                range->click();
                rangeEnabled(true);
                EXPECT_TRUE(from->hasFocus() || QApplication::focusWidget() == nullptr ||
                            d.focusWidget() == from);
                all->click();
                rangeEnabled(false);
                range->click();
                copies->setValue(2);
                EXPECT_TRUE(collate->isEnabled());
                copies->setValue(1);
                EXPECT_FALSE(collate->isEnabled());
                // Pages 1 to 3, odd only, two copies, collated: 1, 1, 3, 3.
                from->setValue(1);
                to->setValue(3);
                parity->setCurrentIndex(1);
                copies->setValue(2);
                collate->setChecked(true);
                return int(QDialog::Accepted);
            }
            // Reopened: the copies and the box keep their state and stay usable.
            EXPECT_EQ(copies->value(), 2);
            EXPECT_TRUE(collate->isEnabled());
            return int(QDialog::Rejected);
        };
        m_dialogs.fileAnswers = {vm::fromQtPath(pdf)};
        PressKey(kPreviewForm, Qt::Key_P, Qt::ControlModifier);
        EXPECT_TRUE(vm::FormWidget(kPreviewForm)->isEnabled());
        QTest::mouseClick(BarButton("b12"), Qt::LeftButton);
        EXPECT_EQ(runs, 2);
        EXPECT_EQ(Title(), "P\xE1gina [1/4]");
    }));
    ASSERT_TRUE(QFileInfo::exists(pdf));
    EXPECT_EQ(PrintedOrder(pdf), (std::vector<int>{1, 1, 3, 3}));
    EXPECT_EQ(vm::printJob().nJobId > 0, true);
}

TEST_F(PreviewDialogTest, EnterInThePrintDialogPrintsEverythingAndEscapePrintsNothing) {
    MakeJob(3);
    const QString pdf = Folder() + "/all.pdf";
    m_dialogs.fileAnswers = {vm::fromQtPath(pdf)};
    ExpectOpened(RunPreview([&] {
        for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return}) {
            m_dialogs.dialogDriver = [key](QDialog& d, const std::string&) {
                QTimer::singleShot(0, &d, [&d, key] {
                    // Enter on the copies spinner still means Ok.
                    QSpinBox* copies = d.findChild<QSpinBox*>("Spinner_3");
                    copies->setFocus();
                    QTest::keyClick(copies, key);
                });
                return d.exec();
            };
            PressKey(kBarForm, Qt::Key_P, Qt::ControlModifier);
            EXPECT_EQ(QFileInfo::exists(pdf), key == Qt::Key_Return);
        }
    }));
    EXPECT_EQ(PrintedOrder(pdf), (std::vector<int>{1, 2, 3}));
    // Only the PDF printer's own file dialog was shown: nothing was printed on Escape.
    EXPECT_EQ(m_dialogs.shown.size(), 1u);
}

}  // namespace
