#pragma once

#include <cstdint>

namespace quorvel::ports {

/// What the global shortcut service reports, on the main thread.
class GlobalShortcutEvents {
public:
    virtual ~GlobalShortcutEvents() = default;
    /// The combination grabbed under `id` was pressed, whichever window has focus.
    virtual void shortcutPressed(std::uint32_t id) = 0;
};

/// System-wide keyboard shortcuts. Combinations are given in the stored
/// key-code and modifier space (see settings/key_combo.h); the adapter maps them.
class GlobalShortcuts {
public:
    virtual ~GlobalShortcuts() = default;
    /// Called when shortcuts are (re)registered; false when the combination cannot
    /// be grabbed (another client holds it, or the key does not exist here).
    virtual bool grab(std::uint32_t id, std::uint32_t keyCode, std::uint32_t modifiers) = 0;
    /// Called when a grab failed, to tell a key this keyboard lacks from a taken one.
    virtual bool hasKey(std::uint32_t keyCode) const = 0;
    /// Called before re-registering and while a shortcut is recorded; unknown ids are ignored.
    virtual void ungrab(std::uint32_t id) = 0;
    /// Called to install (non-null) or remove (null) the receiver of presses.
    virtual void setEventHandler(GlobalShortcutEvents* handler) = 0;
};

}  // namespace quorvel::ports
