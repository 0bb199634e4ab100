#pragma once
// Keeping a top-level window within its screen's available area (the screen less panels and
// docks, in the toolkit's logical pixels: a desktop scaled by 2 on 1920 x 1080 pixels offers
// 960 x 540). One place decides it for every window and dialog of the program.

#include <QRect>
#include <QSize>

class QWidget;

namespace vm {

// The room a window's client area has on its screen (the primary screen for nullptr, or while
// the window has none): the available area less the window's frame, the one the window manager
// gave it once it is shown, before that the caption and borders the style's metrics estimate (as
// the forms count them). Empty without a screen.
QRect ScreenRoom(const QWidget* window = nullptr);

// The widest client area `window` can have with its frame's left edge at screen column `x`, up
// to the right edge of the available area (at least 1 pixel; a large number without a screen).
int RoomRightOf(const QWidget* window, int x);

// Gives `window` the client size `wanted`, or less where the room is smaller, and moves it,
// frame included, into the available area (nearest to where it was). A window of fixed size
// keeps a fixed size. A minimum size the window's layout insists on is kept.
void ResizeWithinScreen(QWidget* window, QSize wanted);

// ResizeWithinScreen with the window's own size: a window that fits stays where it is.
void KeepWithinScreen(QWidget* window);

}  // namespace vm
