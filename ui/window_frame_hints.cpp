#include "ui/window_frame_hints.h"

#include <QGuiApplication>
#include <QWidget>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#ifdef VM_HAVE_XCB
#include <xcb/xcb.h>
#endif

namespace vm {

#ifdef VM_HAVE_XCB
namespace {

// The Motif window-manager hints, as every X11 window manager reads them.
constexpr uint32_t kHintsFunctions = 1u << 0;
constexpr uint32_t kHintsDecorations = 1u << 1;
constexpr uint32_t kFuncResize = 1u << 1;
constexpr uint32_t kFuncMove = 1u << 2;
constexpr uint32_t kFuncMinimize = 1u << 3;
constexpr uint32_t kFuncMaximize = 1u << 4;
constexpr uint32_t kFuncClose = 1u << 5;
constexpr uint32_t kDecorBorder = 1u << 1;
constexpr uint32_t kDecorResizeHandle = 1u << 2;
constexpr uint32_t kDecorTitle = 1u << 3;
constexpr uint32_t kDecorMinimize = 1u << 5;
constexpr uint32_t kDecorMaximize = 1u << 6;

xcb_atom_t atom(xcb_connection_t* connection, const char* name) {
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    xcb_atom_t result = XCB_ATOM_NONE;
    if (reply != nullptr) {
        result = reply->atom;
    }
    std::free(reply);
    return result;
}

xcb_connection_t* x11Connection() {
    auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>()
                                   : nullptr;
    return x11 != nullptr ? x11->connection() : nullptr;
}

}  // namespace
#endif

void SetTransientFor(QWidget* window, QWidget* owner) {
#ifdef VM_HAVE_XCB
    xcb_connection_t* connection = x11Connection();
    if (window == nullptr || owner == nullptr || connection == nullptr) {
        return;
    }
    const auto ownerId = static_cast<xcb_window_t>(owner->window()->winId());
    const auto id = static_cast<xcb_window_t>(window->winId());
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, XCB_ATOM_WM_TRANSIENT_FOR,
                        XCB_ATOM_WINDOW, 32, 1, &ownerId);
    xcb_flush(connection);
#else
    static_cast<void>(window);
    static_cast<void>(owner);
#endif
}

void SetFrameFunctions(QWidget* window, const FrameFunctions& functions) {
#ifdef VM_HAVE_XCB
    xcb_connection_t* connection = x11Connection();
    if (window == nullptr || connection == nullptr) {
        return;
    }
    const auto id = static_cast<xcb_window_t>(window->winId());
    const xcb_atom_t hintsAtom = atom(connection, "_MOTIF_WM_HINTS");
    if (hintsAtom == XCB_ATOM_NONE) {
        return;
    }
    uint32_t hints[5] = {kHintsFunctions | kHintsDecorations, kFuncMove, kDecorBorder | kDecorTitle,
                         0, 0};
    if (functions.resize) {
        hints[1] |= kFuncResize;
        hints[2] |= kDecorResizeHandle;
    }
    if (functions.minimize) {
        hints[1] |= kFuncMinimize;
        hints[2] |= kDecorMinimize;
    }
    if (functions.maximize) {
        hints[1] |= kFuncMaximize;
        hints[2] |= kDecorMaximize;
    }
    if (functions.close) {
        hints[1] |= kFuncClose;
    }
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, hintsAtom, hintsAtom, 32, 5, hints);
    // Some window managers (openbox) keep the minimise box whatever the Motif hints say, but draw
    // none on a toolbar: a window without any caption box is one to them.
    if (!functions.minimize && !functions.maximize && !functions.close) {
        const xcb_atom_t typeAtom = atom(connection, "_NET_WM_WINDOW_TYPE");
        const xcb_atom_t toolbar = atom(connection, "_NET_WM_WINDOW_TYPE_TOOLBAR");
        if (typeAtom != XCB_ATOM_NONE && toolbar != XCB_ATOM_NONE) {
            xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, typeAtom, XCB_ATOM_ATOM, 32,
                                1, &toolbar);
        }
    }
    xcb_flush(connection);
#else
    static_cast<void>(window);
    static_cast<void>(functions);
#endif
}

}  // namespace vm
