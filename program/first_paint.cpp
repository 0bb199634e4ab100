#include "program/first_paint.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QWidget>
#include <vector>

#include "ui/gui_thread.h"

namespace vm {

namespace {

// Watches the application for the first paint of a window, then queues what waited for it.
class FirstPaintWatch final : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (IsWindowPaint(watched, event)) {
            qApp->removeEventFilter(this);
            painted = true;
            for (auto& task : waiting) {
                postToGuiThread(std::move(task));
            }
            waiting.clear();
        }
        return false;
    }

    std::vector<std::function<void()>> waiting;
    bool painted = false;
};

// One watch for each application object.
FirstPaintWatch* watch() {
    static QPointer<FirstPaintWatch> instance;
    if (!instance) {
        instance = new FirstPaintWatch(qApp);
        qApp->installEventFilter(instance);
    }
    return instance;
}

}  // namespace

bool IsWindowPaint(const QObject* receiver, const QEvent* event) {
    return event->type() == QEvent::Paint && receiver->isWidgetType() &&
           static_cast<const QWidget*>(receiver)->isWindow();
}

void AfterFirstPaint(std::function<void()> task) {
    runOnGuiThread([&] {
        FirstPaintWatch* w = watch();
        if (w->painted) {
            postToGuiThread(std::move(task));
        } else {
            w->waiting.push_back(std::move(task));
        }
    });
}

}  // namespace vm
