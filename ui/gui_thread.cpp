#include "ui/gui_thread.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <exception>

namespace vm {

bool onGuiThread() {
    QCoreApplication* app = QCoreApplication::instance();
    return app == nullptr || QThread::currentThread() == app->thread();
}

void runOnGuiThread(const std::function<void()>& task) {
    if (onGuiThread()) {
        task();
        return;
    }
    std::exception_ptr failure;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [&task, &failure] {
            try {
                task();
            } catch (...) {
                failure = std::current_exception();
            }
        },
        Qt::BlockingQueuedConnection);
    if (failure) {
        std::rethrow_exception(failure);
    }
}

void postToGuiThread(std::function<void()> task) {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr) {
        task();
        return;
    }
    QMetaObject::invokeMethod(
        app,
        [task = std::move(task)] {
            try {
                task();
            } catch (...) {
                // A queued request has no caller left to hear of its failure.
            }
        },
        Qt::QueuedConnection);
}

}  // namespace vm
