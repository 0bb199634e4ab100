#include "ui/form_appearance.h"

#include <QColor>
#include <QFile>
#include <QPalette>
#include <QWidget>
#include <cmath>

#include "ui/qt_text.h"

namespace vm::forms {

namespace {

QColor toColor(const Rgb& rgb) {
    return QColor(rgb.red, rgb.green, rgb.blue);
}

// Black or white, whichever stands out more against the colour (WCAG relative luminance: the
// two contrast ratios are equal at a luminance of about 0.18).
QColor readableOn(const QColor& background) {
    const auto channel = [](double c) {
        c /= 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    const double luminance = 0.2126 * channel(background.red()) +
                             0.7152 * channel(background.green()) +
                             0.0722 * channel(background.blue());
    return luminance > 0.179 ? QColor(Qt::black) : QColor(Qt::white);
}

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
    if (text) {
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
