#include "qt/qt_tray_colors.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace quorvel::qt {

namespace {

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

xcb_atom_t internAtom(xcb_connection_t* c, const char* name) {
    Reply<xcb_intern_atom_reply_t> atom(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, std::uint16_t(strlen(name)), name), nullptr),
        &std::free);
    return atom ? atom->atom : xcb_atom_t(XCB_ATOM_NONE);
}

}  // namespace

std::optional<QColor> trayHostForeground() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    if (!c) return std::nullopt;
    // WORKAROUND(multi-screen X): the tray of the default screen only; one
    // X screen per display is what every current desktop runs.
    const xcb_atom_t selection = internAtom(c, "_NET_SYSTEM_TRAY_S0");
    const xcb_atom_t colors = internAtom(c, "_NET_SYSTEM_TRAY_COLORS");
    if (selection == XCB_ATOM_NONE || colors == XCB_ATOM_NONE) return std::nullopt;
    Reply<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection), nullptr),
        &std::free);
    if (!owner || owner->owner == XCB_WINDOW_NONE) return std::nullopt;
    Reply<xcb_get_property_reply_t> property(
        xcb_get_property_reply(
            c, xcb_get_property(c, 0, owner->owner, colors, XCB_ATOM_CARDINAL, 0, 12), nullptr),
        &std::free);
    // Four 16-bit RGB triples (normal, error, warning, success) in CARDINALs.
    if (!property || property->format != 32 || property->value_len < 12) return std::nullopt;
    const auto* v = static_cast<const std::uint32_t*>(xcb_get_property_value(property.get()));
    return QColor::fromRgba64(std::uint16_t(v[0]), std::uint16_t(v[1]), std::uint16_t(v[2]));
}

}  // namespace quorvel::qt
