#include "x11/x11_keyboard_layout.h"

// WORKAROUND(xcb): xkb.h names a field `explicit`, a C++ keyword.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

#include "core/log.h"
#include "x11/connection.h"
#include "x11/key_table.h"
#include "x11/keymap_text.h"

namespace quorvel::x11 {

X11KeyboardLayout::X11KeyboardLayout(Connection& connection) : connection_(connection) {
    if (!connection_.isOpen()) return;
    xcb_connection_t* c = connection_.raw();
    if (!xkb_x11_setup_xkb_extension(
            c, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
            XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, nullptr, nullptr)) {
        core::log(
            "⚠️ The X server has no keyboard extension: keys are shown by their US names");
        return;
    }
    device_ = xkb_x11_get_core_keyboard_device_id(c);
    context_ = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    // A new keymap (another layout list or keyboard) makes ours stale.
    const std::uint16_t events =
        XCB_XKB_EVENT_TYPE_NEW_KEYBOARD_NOTIFY | XCB_XKB_EVENT_TYPE_MAP_NOTIFY;
    xcb_xkb_select_events(c, XCB_XKB_ID_USE_CORE_KBD, events, 0, events, 0, 0, nullptr);
    handler_ = connection_.addEventHandler([this](const xcb_generic_event_t& event) {
        const std::uint8_t base = connection_.xkbEventBase();
        if (base != 0 && (event.response_type & 0x7f) == base) stale_ = true;
    });
}

X11KeyboardLayout::~X11KeyboardLayout() {
    if (handler_) connection_.removeEventHandler(handler_);
    if (keymap_) xkb_keymap_unref(keymap_);
    if (context_) xkb_context_unref(context_);
}

bool X11KeyboardLayout::ensureKeymap() const {
    if (!context_ || device_ < 0) return false;
    connection_.processEvents();
    if (keymap_ && !stale_) return true;
    xkb_keymap* fresh = xkb_x11_keymap_new_from_device(context_, connection_.raw(), device_,
                                                       XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (!fresh) return keymap_ != nullptr;
    if (keymap_) xkb_keymap_unref(keymap_);
    keymap_ = fresh;
    stale_ = false;
    return true;
}

std::uint32_t X11KeyboardLayout::activeGroup() const {
    xkb_state* state = xkb_x11_state_new_from_device(keymap_, connection_.raw(), device_);
    const xkb_layout_index_t active =
        state ? xkb_state_serialize_layout(state, XKB_STATE_LAYOUT_EFFECTIVE) : 0;
    if (state) xkb_state_unref(state);
    return active;
}

std::optional<std::string> X11KeyboardLayout::characters(std::uint32_t keyCode) const {
    const auto xKeycode = xKeycodeFor(keyCode);
    if (!xKeycode || !ensureKeymap()) return std::nullopt;
    std::string text = typedText(keymap_, *xKeycode, asciiGroup(keymap_, activeGroup()));
    if (text.empty()) return std::nullopt;
    return text;
}

}  // namespace quorvel::x11
