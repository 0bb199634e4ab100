#include "ui/form_appearance.h"

#include <QColor>
#include <QFile>
#include <QPalette>
#include <QWidget>
#include <algorithm>
#include <cmath>

#include "ui/qt_text.h"

namespace vm::forms {

namespace {

QColor toColor(const Rgb& rgb) {
    return QColor(rgb.red, rgb.green, rgb.blue);
}

// WCAG relative luminance.
double luminanceOf(const QColor& colour) {
    const auto channel = [](double c) {
        c /= 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(colour.red()) + 0.7152 * channel(colour.green()) +
           0.0722 * channel(colour.blue());
}

double contrastOf(const QColor& a, const QColor& b) {
    const double la = luminanceOf(a), lb = luminanceOf(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// Black or white, whichever stands out more against the colour (the two contrast ratios are
// equal at a luminance of about 0.18).
QColor readableOn(const QColor& background) {
    return luminanceOf(background) > 0.179 ? QColor(Qt::black) : QColor(Qt::white);
}

// Least contrast of a mark (a check box's tick, a radio option's dot) against its field, as for
// the parts of a control (WCAG 1.4.11).
constexpr double kMarkContrast = 3.0;

}  // namespace

void setColours(QWidget* widget, const std::optional<Rgb>& text,
                const std::optional<Rgb>& background) {
    if (!text && !background) {
        return;
    }
    QPalette palette = widget->palette();
    if (background) {
        palette.setColor(QPalette::Window, toColor(*background));
        // Buttons (radio options, check boxes) fill their background with the Button role.
        palette.setColor(widget->backgroundRole(), toColor(*background));
        widget->setAutoFillBackground(true);
    }
    const QColor ink = text ? toColor(*text) : readableOn(toColor(*background));
    palette.setColor(QPalette::WindowText, ink);
    palette.setColor(QPalette::ButtonText, ink);
    // The Text role also paints the tick and the dot on the desktop's field colour (Base): the
    // form's colour is taken only where it stands out there, so under a dark palette a dark blue
    // caption leaves the marks in the palette's own light text colour.
    // Styles draw the mark a shade darker than the text (Fusion: 120 %), so that shade must stand
    // out as well.
    const QColor field = palette.color(QPalette::Base);
    if (text && contrastOf(ink, field) >= kMarkContrast &&
        contrastOf(ink.darker(120), field) >= kMarkContrast) {
        palette.setColor(QPalette::Text, ink);
    }
    widget->setPalette(palette);
}

QFont fontFrom(const QFont& base, const std::string& family, int size) {
    QFont font = base;
    const QString name = toQt(family);
    if (!name.isEmpty() && name.compare(base.family(), Qt::CaseInsensitive) != 0) {
        font.setFamily(name);
    }
    if (size > 0) {
        font.setPointSize(size);
    }
    return font;
}

QIcon iconFromName(const std::string& name) {
    if (name.empty()) {
        return {};
    }
    const QString n = toQt(name);
    for (const QString& path :
         {QStringLiteral(":/icons/%1.svg").arg(n), QStringLiteral(":/icons/%1.png").arg(n),
          QStringLiteral(":/%1").arg(n)}) {
        if (QFile::exists(path)) {
            return QIcon(path);
        }
    }
    return {};
}

}  // namespace vm::forms
