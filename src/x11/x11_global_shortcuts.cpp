#include "x11/x11_global_shortcuts.h"

#include <xcb/xcb_keysyms.h>
#include <xkbcommon/xkbcommon-keysyms.h>

#include <array>
#include <bit>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/log.h"
#include "settings/key_combo.h"
#include "x11/connection.h"
#include "x11/key_table.h"

namespace quorvel::x11 {

namespace {

constexpr std::uint16_t kRelevantMask = XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1;

// The lock states a grab must cover: none, NumLock, CapsLock and both.
std::vector<std::uint16_t> lockVariants(std::uint16_t numLock) {
    if (numLock == 0 || numLock == XCB_MOD_MASK_LOCK) return {0, XCB_MOD_MASK_LOCK};
    return {0, numLock, XCB_MOD_MASK_LOCK, std::uint16_t(numLock | XCB_MOD_MASK_LOCK)};
}

// The keycodes of `keysym` in the core keyboard map; empty when none.
std::vector<std::uint8_t> keycodesOf(xcb_key_symbols_t* symbols, xcb_keysym_t keysym) {
    std::vector<std::uint8_t> codes;
    xcb_keycode_t* found = xcb_key_symbols_get_keycode(symbols, keysym);
    for (const xcb_keycode_t* k = found; k && *k != XCB_NO_SYMBOL; ++k) codes.push_back(*k);
    std::free(found);
    return codes;
}

}  // namespace

std::uint16_t X11GlobalShortcuts::xModifiers(std::uint32_t modifiers, std::uint16_t superMask) {
    namespace mod = settings::modifier;
    std::uint16_t mask = 0;
    if (modifiers & mod::shift) mask |= XCB_MOD_MASK_SHIFT;
    if (modifiers & mod::control) mask |= XCB_MOD_MASK_CONTROL;
    if (modifiers & mod::alt) mask |= XCB_MOD_MASK_1;
    if (modifiers & mod::super) mask |= superMask;
    return mask;
}

X11GlobalShortcuts::X11GlobalShortcuts(Connection& connection) : connection_(connection) {
    if (!connection_.isOpen()) return;
    readLockMasks();
    eventHandler_ = connection_.addEventHandler([this](const xcb_generic_event_t& event) {
        handleEvent(event.response_type & 0x7f, &event);
    });
}

X11GlobalShortcuts::~X11GlobalShortcuts() {
    if (!connection_.isOpen()) return;
    for (const auto& [id, g] : grabs_) ungrabVariants(g);
    connection_.flush();
    if (eventHandler_) connection_.removeEventHandler(eventHandler_);
}

bool X11GlobalShortcuts::grab(std::uint32_t id, std::uint32_t keyCode, std::uint32_t modifiers) {
    ungrab(id);
    const auto xKeycode = xKeycodeFor(keyCode);
    if (!connection_.isOpen() || !xKeycode || !hasKey(keyCode)) return false;
    const Grab g{keyCode, modifiers, *xKeycode, xModifiers(modifiers, superMask_)};
    for (const auto& [otherId, other] : grabs_) {
        if (other.xKeycode == g.xKeycode && other.xMask == g.xMask) return false;
    }
    if (!grabVariants(g)) return false;
    grabs_[id] = g;
    return true;
}

void X11GlobalShortcuts::ungrab(std::uint32_t id) {
    auto it = grabs_.find(id);
    if (it == grabs_.end()) return;
    ungrabVariants(it->second);
    connection_.flush();
    grabs_.erase(it);
}

bool X11GlobalShortcuts::grabVariants(const Grab& g) {
    xcb_connection_t* c = connection_.raw();
    std::vector<xcb_void_cookie_t> cookies;
    for (std::uint16_t lock : lockVariants(numLockMask_)) {
        cookies.push_back(xcb_grab_key_checked(c, 0, connection_.root(), g.xMask | lock, g.xKeycode,
                                               XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    }
    bool ok = true;
    for (auto cookie : cookies) {
        // BadAccess: another client holds this combination.
        if (xcb_generic_error_t* error = xcb_request_check(c, cookie)) {
            ok = false;
            std::free(error);
        }
    }
    if (!ok) {
        ungrabVariants(g);
        connection_.flush();
    }
    return ok;
}

void X11GlobalShortcuts::ungrabVariants(const Grab& g) {
    for (std::uint16_t lock : lockVariants(numLockMask_)) {
        xcb_ungrab_key(connection_.raw(), g.xKeycode, connection_.root(), g.xMask | lock);
    }
}

bool X11GlobalShortcuts::hasKey(std::uint32_t keyCode) const {
    const auto xKeycode = xKeycodeFor(keyCode);
    if (!xKeycode || !connection_.isOpen()) return false;
    xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(connection_.raw());
    if (!symbols) return true;  // cannot tell: let the grab decide
    bool found = false;
    for (int column = 0; column < 4 && !found; ++column) {
        found = xcb_key_symbols_get_keysym(symbols, *xKeycode, column) != XCB_NO_SYMBOL;
    }
    xcb_key_symbols_free(symbols);
    return found;
}

std::uint16_t X11GlobalShortcuts::modifierOf(const std::uint8_t* mapping, int perModifier,
                                             const std::vector<std::uint8_t>& keycodes) const {
    for (int m = 0; m < 8; ++m) {
        for (int k = 0; k < perModifier; ++k) {
            const std::uint8_t code = mapping[m * perModifier + k];
            for (std::uint8_t wanted : keycodes) {
                if (code != 0 && code == wanted) return std::uint16_t(1u << m);
            }
        }
    }
    return 0;
}

void X11GlobalShortcuts::readLockMasks() {
    xcb_connection_t* c = connection_.raw();
    numLockMask_ = 0;
    xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(c);
    if (!symbols) return;
    const auto numLock = keycodesOf(symbols, XKB_KEY_Num_Lock);
    auto superKeys = keycodesOf(symbols, XKB_KEY_Super_L);
    for (std::uint8_t code : keycodesOf(symbols, XKB_KEY_Super_R)) superKeys.push_back(code);
    xcb_key_symbols_free(symbols);
    auto mapping = reply(xcb_get_modifier_mapping_reply(c, xcb_get_modifier_mapping(c), nullptr));
    if (!mapping) return;
    const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(mapping.get());
    const int perModifier = mapping->keycodes_per_modifier;
    numLockMask_ = modifierOf(codes, perModifier, numLock);
    // Super usually sits on Mod4, but the keyboard map decides; Control,
    // Shift and Lock are never Super.
    const std::uint16_t super = modifierOf(codes, perModifier, superKeys);
    if (super >= XCB_MOD_MASK_1 && super != superMask_) {
        core::log("⌨️ Super is on Mod" + std::to_string(std::countr_zero(super) - 2));
        superMask_ = super;
    }
}

void X11GlobalShortcuts::handleEvent(const std::uint8_t type, const void* event) {
    if (type == XCB_MAPPING_NOTIFY) {
        // NumLock may now sit on another modifier: grab the lock variants anew.
        for (const auto& [id, g] : grabs_) ungrabVariants(g);
        readLockMasks();
        for (auto& [id, g] : grabs_) {
            g.xMask = xModifiers(g.modifiers, superMask_);
            if (!grabVariants(g)) {
                core::log("⌨️ Hot key " + std::to_string(id) + " lost after a keyboard change");
            }
        }
        connection_.flush();
        return;
    }
    if (type == XCB_KEY_RELEASE) {
        const auto* key = static_cast<const xcb_key_release_event_t*>(event);
        lastRelease_ = {key->detail, key->time};
        return;
    }
    if (type != XCB_KEY_PRESS) return;
    const auto* key = static_cast<const xcb_key_press_event_t*>(event);
    // Auto-repeat sends a release and a press with the same time stamp: a held
    // key counts as one press.
    if (lastRelease_.first == key->detail && lastRelease_.second == key->time) return;
    const std::uint16_t state = key->state & (kRelevantMask | superMask_);
    for (const auto& [id, g] : grabs_) {
        if (g.xKeycode != key->detail || g.xMask != state) continue;
        if (handler_) handler_->shortcutPressed(id);
        return;
    }
}

}  // namespace quorvel::x11
