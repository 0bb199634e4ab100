#include "ui/flat_button.h"

#include <QStyleOptionFocusRect>
#include <QStylePainter>

namespace vm {

FlatButton::FlatButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
    setFlat(true);
}

void FlatButton::paintEvent(QPaintEvent* event) {
    QPushButton::paintEvent(event);
    if (!hasFocus()) {
        return;
    }
    // Styles draw no frame at all around a flat button, focused or not.
    QStylePainter painter(this);
    QStyleOptionFocusRect frame;
    frame.initFrom(this);
    frame.rect = rect().adjusted(1, 1, -1, -1);
    frame.backgroundColor = palette().color(QPalette::Button);
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, frame);
}

}  // namespace vm
