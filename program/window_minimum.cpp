#include "program/window_minimum.h"

#include <QMenuBar>
#include <QStatusBar>
#include <QWidget>

#include "ui/form_layer.h"

namespace vm {

void KeepEveryControlVisible(const std::string& form) {
    QWidget* window = FormWidget(form);
    if (window == nullptr) {
        return;
    }
    // The controls sit where the form placed them; the window's own layout (menu bar, content,
    // status bar) adds what lies around them.
    // The bars stretch with the window: only their height counts.
    const auto inBar = [window](QWidget* w) {
        for (; w != nullptr && w != window; w = w->parentWidget()) {
            if (qobject_cast<QMenuBar*>(w) || qobject_cast<QStatusBar*>(w)) {
                return true;
            }
        }
        return false;
    };
    QRect extent;
    for (QWidget* child : window->findChildren<QWidget*>()) {
        if (child->isVisibleTo(window) && !child->isWindow() && !inBar(child) &&
            child->children().isEmpty()) {
            extent |= QRect(child->mapTo(window, QPoint(0, 0)), child->size());
        }
    }
    int statusHeight = 0;
    if (auto* status = window->findChild<QStatusBar*>(); status && status->isVisibleTo(window)) {
        statusHeight = status->sizeHint().height();
    }
    const int margin = 4;
    const QSize least(extent.right() + 1 + margin, extent.bottom() + 1 + margin + statusHeight);
    window->setMinimumSize(least.boundedTo(window->maximumSize()));
}

}  // namespace vm
