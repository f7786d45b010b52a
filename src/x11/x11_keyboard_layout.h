#pragma once

#include <memory>

#include "ports/keyboard_layout.h"

struct xkb_context;
struct xkb_keymap;

namespace quorvel::x11 {

class Connection;

/// Names keys through the user's current X keyboard layout (xkbcommon over
/// the XKB extension): the stored key code is taken to its key position, and
/// an ASCII-capable group says what that key types with no modifiers.
class X11KeyboardLayout final : public ports::KeyboardLayout {
public:
    explicit X11KeyboardLayout(Connection& connection);
    ~X11KeyboardLayout() override;
    X11KeyboardLayout(const X11KeyboardLayout&) = delete;
    X11KeyboardLayout& operator=(const X11KeyboardLayout&) = delete;

    std::optional<std::string> characters(std::uint32_t keyCode) const override;

private:
    bool ensureKeymap() const;
    /// The group the user types in now; the keymap must be loaded.
    std::uint32_t activeGroup() const;

    Connection& connection_;
    int handler_ = 0;
    std::int32_t device_ = -1;
    xkb_context* context_ = nullptr;
    mutable xkb_keymap* keymap_ = nullptr;
    mutable bool stale_ = true;
};

}  // namespace quorvel::x11
