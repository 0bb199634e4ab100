// The main window under a desktop's dark palette (light text on dark faces, as qt6ct's "darker"
// with Fusion): wherever the window forces a background, the text painted on it must stand out.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QMenuBar>
#include <QPalette>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>

#include "core/program_values.h"
#include "program/main_window.h"
#include "runtime/startup.h"
#include "tests/support/ui_test_support.h"

namespace {

QPalette darkPalette() {
    QPalette p;
    const QColor face(53, 53, 53), base(42, 42, 42), light(238, 238, 238);
    p.setColor(QPalette::Window, face);
    p.setColor(QPalette::WindowText, light);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, face);
    p.setColor(QPalette::Text, light);
    p.setColor(QPalette::Button, face);
    p.setColor(QPalette::ButtonText, light);
    p.setColor(QPalette::ToolTipBase, face);
    p.setColor(QPalette::ToolTipText, light);
    p.setColor(QPalette::Highlight, QColor(42, 130, 218));
    p.setColor(QPalette::HighlightedText, Qt::black);
    return p;
}

double luminance(QRgb c) {
    const auto channel = [](int v) {
        const double x = v / 255.0;
        return x <= 0.03928 ? x / 12.92 : std::pow((x + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(c)) + 0.7152 * channel(qGreen(c)) + 0.0722 * channel(qBlue(c));
}

double contrast(QRgb a, QRgb b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

struct Painted {
    QRgb background = 0;
    QRgb text = 0;
    bool hasText = false;
};

// The colours a widget paints in `area`: the commonest is the background; of the others, the one
// that stands out most is the text's (the smoothed edges of the letters stand out less).
Painted paintedColours(QWidget* widget, const QRect& area) {
    const QImage image = widget->grab(area).toImage().convertToFormat(QImage::Format_RGB32);
    std::map<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            ++counts[image.pixel(x, y) & 0xFFFFFF];
        }
    }
    Painted p;
    int most = 0;
    for (const auto& [colour, n] : counts) {
        if (n > most) {
            most = n;
            p.background = colour;
        }
    }
    double best = 1;
    for (const auto& [colour, n] : counts) {
        if (contrast(colour, p.background) > best) {
            best = contrast(colour, p.background);
            p.text = colour;
            p.hasText = true;
        }
    }
    return p;
}

// The part of a check box or radio option that holds its caption, without the indicator.
QRect captionArea(QAbstractButton* button) {
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    const QStyle::SubElement element = qobject_cast<QCheckBox*>(button)
                                           ? QStyle::SE_CheckBoxContents
                                           : QStyle::SE_RadioButtonContents;
    if (qobject_cast<QCheckBox*>(button) || qobject_cast<QRadioButton*>(button)) {
        return button->style()->subElementRect(element, &option, button);
    }
    return button->rect();
}

class DarkPaletteTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        m_style = QApplication::style()->name();
        m_palette = QApplication::palette();
        QApplication::setStyle(QStringLiteral("Fusion"));
        QApplication::setPalette(darkPalette());
        vm::StartWithoutWindow();
        vm::mainWindowProcedures() = {};
    }
    void TearDown() override {
        QApplication::setStyle(m_style);
        QApplication::setPalette(m_palette);
        UiTest::TearDown();
    }

private:
    QString m_style;
    QPalette m_palette;
};

// What each control shows, where: (widget, area).
std::vector<std::pair<QWidget*, QRect>> captionsOf(QWidget* window) {
    std::vector<std::pair<QWidget*, QRect>> captions;
    for (QLabel* label : window->findChildren<QLabel*>()) {
        if (!label->text().trimmed().isEmpty() && label->isVisible()) {
            captions.emplace_back(label, label->contentsRect());
        }
    }
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        if (!button->text().isEmpty() && button->isVisible()) {
            captions.emplace_back(button, captionArea(button));
        }
    }
    if (auto* bar = window->findChild<QMenuBar*>()) {
        for (QAction* menu : bar->actions()) {
            captions.emplace_back(bar, bar->actionGeometry(menu));
        }
    }
    return captions;
}

void expectReadable(QWidget* window) {
    const auto captions = captionsOf(window);
    // 23 labels, the three check boxes and format options, "Gerar Report", the status bar's
    // item and the two menus.
    EXPECT_GE(captions.size(), 30u);
    for (const auto& [widget, area] : captions) {
        const std::string name = widget->objectName().toStdString();
        const Painted p = paintedColours(widget, area);
        EXPECT_TRUE(p.hasText) << name << " paints no text";
        // The video category's green on white is the window's own choice of colours: it must
        // stay that green, whatever the desktop's palette.
        if (name == "TelaFt" || name == "cTelaVideo") {
            EXPECT_GT(qGreen(p.text), 200) << name;
            EXPECT_LT(qRed(p.text) + qBlue(p.text), 60) << name;
            continue;
        }
        EXPECT_GE(contrast(p.text, p.background), 3.0)
            << name << ": text " << std::hex << p.text << " on " << p.background;
    }
}

// The tick of every check box and the dot of every selected radio option, on their field.
TEST_F(DarkPaletteTest, MarksStandOutFromTheirField) {
    vm::DefineMainWindow();
    int marks = 0;
    QTimer::singleShot(0, [&] {
        QWidget* window = vm::FormWidget("wmenu");
        for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
            auto* check = qobject_cast<QCheckBox*>(button);
            auto* radio = qobject_cast<QRadioButton*>(button);
            if ((!check && !radio) || !button->isVisible()) {
                continue;
            }
            button->setChecked(true);
            QStyleOptionButton option;
            option.initFrom(button);
            const QRect indicator = button->style()->subElementRect(
                check ? QStyle::SE_CheckBoxIndicator : QStyle::SE_RadioButtonIndicator, &option,
                button);
            // The field inside the indicator's frame, where the mark is drawn.
            const QRect field = indicator.adjusted(2, 2, -2, -2);
            const QImage image =
                button->grab(field).toImage().convertToFormat(QImage::Format_RGB32);
            std::map<QRgb, int> counts;
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    ++counts[image.pixel(x, y) & 0xFFFFFF];
                }
            }
            // The mark's own colour is the one drawn most after the field's.
            std::vector<std::pair<int, QRgb>> byCount;
            for (const auto& [colour, n] : counts) {
                byCount.emplace_back(n, colour);
            }
            std::sort(byCount.rbegin(), byCount.rend());
            ASSERT_GE(byCount.size(), 2u) << button->objectName().toStdString() << " shows no mark";
            EXPECT_GE(contrast(byCount[1].second, byCount[0].second), 3.0)
                << button->objectName().toStdString() << ": mark " << std::hex << byCount[1].second
                << " on " << byCount[0].second;
            ++marks;
        }
        vm::ReleaseAllWindows();
    });
    vm::DoMethod("wmenu", "activate");
    EXPECT_GE(marks, 4);
}

TEST_F(DarkPaletteTest, EveryCaptionStandsOutFromItsBackground) {
    vm::DefineMainWindow();
    bool checked = false;
    QTimer::singleShot(0, [&] {
        vm::TelaRefresh();
        expectReadable(vm::FormWidget("wmenu"));
        // A picture of the window for a person to look at, when a folder is named.
        if (const char* pictures = std::getenv("VM_PICTURES")) {
            vm::FormWidget("wmenu")->grab().save(QString::fromLocal8Bit(pictures) +
                                                 QStringLiteral("/dark-palette.png"));
        }
        checked = true;
        vm::ReleaseAllWindows();
    });
    vm::DoMethod("wmenu", "activate");
    EXPECT_TRUE(checked);
}

}  // namespace
