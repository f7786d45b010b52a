#pragma once

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "ports/global_shortcuts.h"

namespace quorvel::x11 {

class Connection;

/// Global shortcuts as passive key grabs on the root window. Each combination
/// is grabbed four times, with and without NumLock and CapsLock, so that the
/// lock keys never swallow a shortcut. Presses arrive through the connection's
/// event dispatch, so they reach us whichever window has the focus.
class X11GlobalShortcuts final : public ports::GlobalShortcuts {
public:
    explicit X11GlobalShortcuts(Connection& connection);
    ~X11GlobalShortcuts() override;
    X11GlobalShortcuts(const X11GlobalShortcuts&) = delete;
    X11GlobalShortcuts& operator=(const X11GlobalShortcuts&) = delete;

    bool grab(std::uint32_t id, std::uint32_t keyCode, std::uint32_t modifiers) override;
    void ungrab(std::uint32_t id) override;
    void setEventHandler(ports::GlobalShortcutEvents* handler) override { handler_ = handler; }
    bool hasKey(std::uint32_t keyCode) const override;

    /// The X modifier mask of a stored modifier mask (Shift, Control, Alt for
    /// Option, Super for Command, on the modifier `superMask` names); other
    /// stored bits are dropped.
    static std::uint16_t xModifiers(std::uint32_t modifiers,
                                    std::uint16_t superMask = 1u << 6 /* Mod4 */);

private:
    struct Grab {
        std::uint32_t keyCode = 0;
        std::uint32_t modifiers = 0;
        std::uint8_t xKeycode = 0;
        std::uint16_t xMask = 0;
    };

    bool grabVariants(const Grab& g);
    void ungrabVariants(const Grab& g);
    void handleEvent(const std::uint8_t type, const void* event);
    void readLockMasks();
    std::uint16_t modifierOf(const std::uint8_t* mapping, int perModifier,
                             const std::vector<std::uint8_t>& keycodes) const;

    Connection& connection_;
    int eventHandler_ = 0;
    std::map<std::uint32_t, Grab> grabs_;
    std::uint16_t numLockMask_ = 0;
    std::uint16_t superMask_ = 1u << 6;  // Mod4 until the keyboard map says otherwise
    std::pair<std::uint8_t, std::uint32_t> lastRelease_{0, 0};  // keycode, time
    ports::GlobalShortcutEvents* handler_ = nullptr;
};

}  // namespace quorvel::x11
