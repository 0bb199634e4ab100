// Activation, release and destruction of forms.
#include "ui/form_lifecycle.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <vector>

#include "runtime/error_handler.h"
#include "runtime/process.h"
#include "ui/form_registry.h"
#include "ui/screen_fit.h"
#include "ui/window_frame_hints.h"

namespace vm {

namespace forms {

namespace {

// The forms whose onRelease is running.
std::vector<const Form*>& releaseRunning() {
    static std::vector<const Form*> forms;
    return forms;
}

void focusFirstControl(Form& form) {
    QWidget* focused = form.window->focusWidget();
    if (focused != nullptr && focused != form.window && form.content->isAncestorOf(focused)) {
        return;
    }
    for (const auto& control : form.controls) {
        for (QWidget* widget : control->focusCandidates()) {
            if ((widget->focusPolicy() & Qt::TabFocus) && widget->isEnabled() &&
                !widget->isHidden()) {
                widget->setFocus(Qt::OtherFocusReason);
                return;
            }
        }
    }
}

void runOnRelease(const std::shared_ptr<Form>& form) {
    if (!form->onRelease) {
        return;
    }
    struct Running {
        std::vector<const Form*>& list;
        const Form* form;
        ~Running() {
            auto it = std::find(list.begin(), list.end(), form);
            if (it != list.end()) {
                list.erase(it);
            }
        }
    } running{releaseRunning(), form.get()};
    releaseRunning().push_back(form.get());
    const Callback callback = form->onRelease;
    callback();
}

void destroyForm(const std::shared_ptr<Form>& form) {
    form->state = FormState::Released;
    registry().remove(form);
    if (form->loop != nullptr) {
        form->loop->quit();
        form->loop = nullptr;
    }
    if (form->window) {
        form->window->hide();
        form->window->deleteLater();
    }
}

void endProgram() {
    const auto forms = registry().all();
    for (const auto& form : forms) {
        if (form->state == FormState::Active) {
            runOnRelease(form);
        }
    }
    EndProcess(0);
    // Only a test's end handler returns here: leave nothing behind, so that the activations
    // return as the process would have ended.
    releaseAll();
}

}  // namespace

void center(Form& form) {
    FormWindow* window = form.window;
    QScreen* screen =
        window->screen() != nullptr ? window->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    const QRect whole = screen->geometry();
    const QRect work = screen->availableGeometry();
    const QSize outer =
        window->isVisible() ? window->frameGeometry().size() : QSize(form.width, form.height);
    window->move(whole.x() + (whole.width() - outer.width()) / 2,
                 whole.y() + (work.height() - outer.height()) / 2);
}

// A window manager takes the frame's functions and the owner from the window when it maps it:
// they are set before the window is shown, and again after, should the toolkit have set its own
// meanwhile. A child form belongs to the main window.
void showForm(Form& form) {
    const auto tellWindowManager = [&form] {
        if (form.limitedFrame) {
            SetFrameFunctions(form.window, form.frame);
        }
        if (form.kind == WindowKind::Child) {
            SetTransientFor(form.window, form.window->parentWidget());
        }
    };
    // Wherever the form was placed, it opens within the screen's available area (a small or
    // scaled desktop has less room than the sizes the forms are given).
    KeepWithinScreen(form.window);
    tellWindowManager();
    form.window->show();
    tellWindowManager();
}

void activate(const std::string& formName) {
    auto form = registry().find(formName);
    if (!form) {
        RaiseMgError("Window " + formName + " is not defined.");
    }
    if (form->state == FormState::Active) {
        RaiseMgError("Window " + formName + " already active.");
    }
    if (registry().defining()) {
        RaiseMgError("ACTIVATE WINDOW: DEFINE WINDOW Structure is not closed.");
    }
    const auto main = registry().main();
    if (form->kind != WindowKind::Main && (!main || main->state != FormState::Active)) {
        RaiseMgError(
            "ACTIVATE WINDOW: Main Window must be activated in the first ACTIVATE WINDOW "
            "command.");
    }

    form->state = FormState::Active;
    showForm(*form);
    form->window->raise();
    form->window->activateWindow();
    if (form->onInit) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        if (form->state != FormState::Active) {
            return;  // released by one of those events
        }
        const Callback callback = form->onInit;
        callback();
    }
    if (form->state != FormState::Active) {
        return;
    }
    focusFirstControl(*form);

    QEventLoop loop;
    form->loop = &loop;
    loop.exec();
    form->loop = nullptr;
}

void release(const std::string& formName, bool fromWorker) {
    auto form = registry().find(formName);
    if (!form) {
        RaiseMgError("Window: " + formName + " is not defined.");
    }
    if (form->state != FormState::Active) {
        RaiseMgError("Window: " + formName + " is not active.");
    }
    const auto& running = releaseRunning();
    const bool ownRelease = std::find(running.begin(), running.end(), form.get()) != running.end();
    if (ownRelease || (form->kind == WindowKind::Main && !running.empty())) {
        RaiseMgError(
            "Release a window in its own ON RELEASE procedure or release the Main Window in any "
            "ON RELEASE procedure is not allowed.");
    }
    if (form->kind == WindowKind::Main) {
        endProgram();
        return;
    }
    if (fromWorker) {
        closeInteractively(form);
        return;
    }
    std::weak_ptr<Form> weak = form;
    postToGuiThread([weak] {
        if (auto f = weak.lock()) {
            invokeFromEvent([&] { closeInteractively(f); });
        }
    });
}

void closeInteractively(const std::shared_ptr<Form>& form) {
    if (form->state != FormState::Active) {
        return;
    }
    if (form->onInteractiveClose) {
        const std::function<bool()> callback = form->onInteractiveClose;
        if (!callback() || form->state != FormState::Active) {
            return;
        }
    }
    if (form->kind == WindowKind::Main) {
        endProgram();
        return;
    }
    runOnRelease(form);
    destroyForm(form);
}

void releaseAll() {
    const auto forms = registry().all();
    // Children first, so that no child window outlives the main window it belongs to.
    for (auto it = forms.rbegin(); it != forms.rend(); ++it) {
        destroyForm(*it);
    }
    registry().clear();
}

}  // namespace forms

void ReleaseAllWindows() {
    runOnGuiThread([] { forms::releaseAll(); });
}

}  // namespace vm
