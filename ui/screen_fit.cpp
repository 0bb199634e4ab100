#include "ui/screen_fit.h"

#include <QApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <algorithm>
#include <limits>

namespace vm {

namespace {

const QScreen* ScreenOf(const QWidget* window) {
    if (window != nullptr && window->screen() != nullptr) {
        return window->screen();
    }
    return QGuiApplication::primaryScreen();
}

// A window's frame, and where its client area stands from the position that move() takes.
struct Frame {
    QMargins margins;
    QPoint clientOffset;
};

Frame FrameOf(const QWidget* window) {
    if (window != nullptr && window->isVisible()) {
        const QRect frame = window->frameGeometry();
        const QRect client = window->geometry();
        return {QMargins(client.left() - frame.left(), client.top() - frame.top(),
                         frame.right() - client.right(), frame.bottom() - client.bottom()),
                client.topLeft() - window->pos()};
    }
    // Not mapped yet: the frame the window manager will draw, as the forms estimate it from the
    // style's metrics. Until the native window exists the position is the frame's; once it
    // exists, the client's.
    const QStyle* style = window != nullptr ? window->style() : QApplication::style();
    const int border = style->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, window);
    const int caption = style->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window);
    const QMargins margins(border, caption + border, border, border);
    const bool positionIsClient = window != nullptr && window->testAttribute(Qt::WA_WState_Created);
    return {margins, positionIsClient ? QPoint(0, 0) : QPoint(margins.left(), margins.top())};
}

}  // namespace

QRect ScreenRoom(const QWidget* window) {
    const QScreen* screen = ScreenOf(window);
    if (screen == nullptr) {
        return {};
    }
    return screen->availableGeometry().marginsRemoved(FrameOf(window).margins);
}

int RoomRightOf(const QWidget* window, int x) {
    const QRect room = ScreenRoom(window);
    if (room.isNull()) {
        return std::numeric_limits<int>::max();
    }
    return std::max(1, room.right() + 1 - (x + FrameOf(window).clientOffset.x()));
}

void ResizeWithinScreen(QWidget* window, QSize wanted) {
    const QScreen* screen = ScreenOf(window);
    if (screen == nullptr) {
        window->resize(wanted);
        return;
    }
    const Frame frame = FrameOf(window);
    const QRect room = screen->availableGeometry().marginsRemoved(frame.margins);
    const QSize size = wanted.boundedTo(room.size()).expandedTo(QSize(1, 1));
    if (window->minimumSize() == window->maximumSize()) {
        window->setFixedSize(size);
    } else {
        window->resize(size);
    }
    // The client area within the room, the frame around it; a window larger than the room keeps
    // its top left corner on the screen. A window that fits is not moved.
    const QPoint client = window->pos() + frame.clientOffset;
    const QPoint within(std::clamp(client.x(), room.left(),
                                   std::max(room.left(), room.right() + 1 - window->width())),
                        std::clamp(client.y(), room.top(),
                                   std::max(room.top(), room.bottom() + 1 - window->height())));
    if (within != client) {
        window->move(within - frame.clientOffset);
    }
}

void KeepWithinScreen(QWidget* window) {
    ResizeWithinScreen(window, window->size());
}

}  // namespace vm
