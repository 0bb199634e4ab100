#include "ui/form_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRadioButton>

#include "ui/form_lifecycle.h"
#include "ui/form_registry.h"
#include "ui/form_settings.h"
#include "ui/form_values.h"

namespace vm::forms {

void FormWindow::closeEvent(QCloseEvent* event) {
    auto form = m_form.lock();
    if (!form || form->state != FormState::Active) {
        event->accept();
        return;
    }
    event->ignore();
    invokeFromEvent([&] { closeInteractively(form); });
}

bool FormWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) {
        return QMainWindow::eventFilter(watched, event);
    }
    auto* key = static_cast<QKeyEvent*>(event);
    auto form = m_form.lock();
    if (form && qobject_cast<QRadioButton*>(watched) != nullptr) {
        int step = 0;
        if (key->key() == Qt::Key_Right || key->key() == Qt::Key_Down) {
            step = 1;
        } else if (key->key() == Qt::Key_Left || key->key() == Qt::Key_Up) {
            step = -1;
        }
        if (step != 0 && moveRadioSelection(form, watched, step)) {
            return true;
        }
    }
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    const bool plain = (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (enter && plain && settings().enterNavigation &&
        (qobject_cast<QLineEdit*>(watched) != nullptr ||
         qobject_cast<QCheckBox*>(watched) != nullptr)) {
        focusNextChild();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace vm::forms
