#include "ui/gui_thread.h"

#include <QCoreApplication>
#include <QCursor>
#include <QEventLoop>
#include <QGuiApplication>
#include <QMetaObject>
#include <QThread>
#include <exception>
#include <thread>

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

void RunWhileWaiting(const std::function<void()>& work) {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr || !onGuiThread()) {
        work();
        return;
    }
    QEventLoop loop;
    std::exception_ptr failure;
    // The worker's last act is to queue the loop's end; the loop runs until that has been taken
    // up, so the worker never reaches a loop that is gone.
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    const bool withCursor = qobject_cast<QGuiApplication*>(app) != nullptr;
    if (withCursor) {
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    }
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker.join();
    if (withCursor) {
        QGuiApplication::restoreOverrideCursor();
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
}

}  // namespace vm
