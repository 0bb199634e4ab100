#include "ui/screen_fit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <limits>

namespace vm {

namespace {

// The frame a window manager usually draws around a window, borders and a caption, for a window
// it has not mapped yet.
constexpr QMargins kAssumedFrame(6, 30, 6, 6);

const QScreen* ScreenOf(const QWidget* window) {
    if (window != nullptr && window->screen() != nullptr) {
        return window->screen();
    }
    return QGuiApplication::primaryScreen();
}

// Where a window's client area may lie. A shown window's position is its frame's, and the frame
// is known. Before it is shown, the platform may take the position for the client's (once the
// native window exists) or for the frame's: the room then allows for the frame on either reading.
QRect ClientRoom(const QWidget* window, const QRect& area) {
    if (window != nullptr && window->isVisible()) {
        const QRect frame = window->frameGeometry();
        const QRect client = window->geometry();
        return area.marginsRemoved(
            QMargins(client.left() - frame.left(), client.top() - frame.top(),
                     frame.right() - client.right(), frame.bottom() - client.bottom()));
    }
    const QMargins f = kAssumedFrame;
    return area.marginsRemoved(
        QMargins(f.left(), f.top(), f.left() + f.right(), f.top() + f.bottom()));
}

}  // namespace

QRect ScreenRoom(const QWidget* window) {
    const QScreen* screen = ScreenOf(window);
    if (screen == nullptr) {
        return {};
    }
    return ClientRoom(window, screen->availableGeometry());
}

int RoomRightOf(const QWidget* window, int x) {
    const QRect room = ScreenRoom(window);
    if (room.isNull()) {
        return std::numeric_limits<int>::max();
    }
    // The frame's left edge at x puts the client's where the room's left edge is to the area's.
    const QRect area = ScreenOf(window)->availableGeometry();
    return std::max(1, room.right() + 1 - (x + room.left() - area.left()));
}

void ResizeWithinScreen(QWidget* window, QSize wanted) {
    const QScreen* screen = ScreenOf(window);
    if (screen == nullptr) {
        window->resize(wanted);
        return;
    }
    const QRect area = screen->availableGeometry();
    const QRect room = ClientRoom(window, area);
    const QSize size = wanted.boundedTo(room.size()).expandedTo(QSize(1, 1));
    if (window->minimumSize() == window->maximumSize()) {
        window->setFixedSize(size);
    } else {
        window->resize(size);
    }
    // A shown window moves its frame: its client keeps the frame's offset from it. A window
    // larger than the room keeps its top left corner on the screen.
    const QPoint offset =
        window->isVisible() ? window->geometry().topLeft() - window->pos() : QPoint(0, 0);
    const int x = std::clamp(window->x() + offset.x(), room.left(),
                             std::max(room.left(), room.right() + 1 - window->width()));
    const int y = std::clamp(window->y() + offset.y(), room.top(),
                             std::max(room.top(), room.bottom() + 1 - window->height()));
    window->move(x - offset.x(), y - offset.y());
}

void KeepWithinScreen(QWidget* window) {
    ResizeWithinScreen(window, window->size());
}

}  // namespace vm
