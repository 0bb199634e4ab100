#pragma once
// What a window manager is told about a top-level window: which boxes its caption carries, what
// the user may do to it, and which window it belongs to. Qt tells the window manager which boxes to
// draw but, for a window without minimise, maximise and close boxes, leaves every function allowed,
// and window managers such as openbox then draw those boxes anyway.

class QWidget;

namespace vm {

struct FrameFunctions {
    bool minimize = false;
    bool maximize = false;
    bool close = false;
    bool resize = false;
};

// Tells the window manager exactly which functions the window allows (moving always), so that it
// draws no box for the others. A window that allows none of minimise, maximise and close is also
// a toolbar to it (_NET_WM_WINDOW_TYPE_TOOLBAR): window managers that ignore the Motif hints for
// the minimise box (openbox) leave it off a toolbar. Creates the native window when it does not
// exist yet; call it before the window is first shown (and again after a change of its flags).
// Does nothing on a platform other than X11.
void SetFrameFunctions(QWidget* window, const FrameFunctions& functions);

// Tells the window manager that the window belongs to `owner` (WM_TRANSIENT_FOR), so that it
// keeps the window above its owner and minimises them together. Qt says so only for dialogs and
// tool windows, not for the plain child windows of the form layer. Like SetFrameFunctions: before
// the window is first shown; nothing off X11.
void SetTransientFor(QWidget* window, QWidget* owner);

}  // namespace vm
