// The methods of forms and controls, and the calls that act on a form's focus and events.
#include <QCoreApplication>
#include <QEventLoop>

#include "core/ascii.h"
#include "ui/form_lifecycle.h"
#include "ui/form_registry.h"

namespace vm {

namespace forms {

namespace {

void doFormMethod(const std::string& formName, const std::string& method) {
    const std::string name = AsciiLower(method);
    if (name == "activate") {
        activate(formName);
        return;
    }
    if (name == "release") {
        release(formName, false);
        return;
    }
    auto form = registry().require(formName);
    if (name == "center") {
        center(*form);
    } else if (name == "show") {
        showForm(*form);
    } else if (name == "hide") {
        form->window->hide();
    } else if (name == "setfocus") {
        form->window->activateWindow();
        form->window->raise();
    }
}

void doControlMethod(const std::string& formName, const std::string& controlName,
                     const std::string& method) {
    auto control = registry().requireControl(formName, controlName);
    const std::string name = AsciiLower(method);
    if (name == "show" || name == "hide") {
        for (QWidget* widget : control->widgets()) {
            widget->setVisible(name == "show");
        }
    } else if (name == "setfocus") {
        const std::vector<QWidget*> candidates = control->focusCandidates();
        if (!candidates.empty()) {
            candidates.front()->setFocus(Qt::OtherFocusReason);
        }
    }
}

}  // namespace

}  // namespace forms

using forms::fromAnyThread;
using forms::registry;

void DoMethod(const std::string& form, const std::string& method) {
    if (!onGuiThread()) {
        if (AsciiLower(method) == "release") {
            // Queued: the worker goes on while the event-loop thread closes the form.
            postToGuiThread([form] {
                auto f = registry().find(form);
                if (f && f->state == forms::FormState::Active) {
                    forms::invokeFromEvent([&] { forms::release(form, true); });
                }
            });
            return;
        }
        fromAnyThread(form, "", [&] { forms::doFormMethod(form, method); });
        return;
    }
    InitFormLayer();
    forms::doFormMethod(form, method);
}

void DoMethod(const std::string& form, const std::string& control, const std::string& method) {
    fromAnyThread(form, control, [&] { forms::doControlMethod(form, control, method); });
}

void CommitFocusedField(const std::string& form) {
    Callback callback;
    runOnGuiThread([&] {
        auto f = registry().find(form);
        if (!f || f->state != forms::FormState::Active || !f->window) {
            return;
        }
        QWidget* focus = f->window->focusWidget();
        for (const auto& control : f->controls) {
            if (focus != nullptr && forms::isTextBoxKind(control->kind) &&
                control->widget == focus) {
                callback = control->onLostFocus;
            }
        }
    });
    if (callback) {
        callback();
    }
}

void DoEvents() {
    if (!onGuiThread() || QCoreApplication::instance() == nullptr) {
        return;
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

}  // namespace vm
