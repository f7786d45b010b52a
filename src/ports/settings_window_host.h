#pragma once

#include <cstdint>
#include <memory>

namespace quorvel::ports {

/// What the settings window tells its controller.
class SettingsWindowEvents {
public:
    virtual ~SettingsWindowEvents() = default;
    /// The window got the keyboard focus.
    virtual void windowDidBecomeKey() = 0;
    /// The window lost the keyboard focus.
    virtual void windowDidResignKey() = 0;
    /// The window is closing (its close button, `close`, the window manager);
    /// delivered before `close` returns.
    virtual void windowWillClose() = 0;
    /// A key press inside the window, in the stored key-code and modifier
    /// space, before any control sees it; true swallows it.
    virtual bool keyDown(std::uint32_t keyCode, std::uint32_t modifiers) = 0;
};

/// One settings window.
class SettingsWindow {
public:
    virtual ~SettingsWindow() = default;
    /// Called to show it: raises the application and makes the window the
    /// focused, frontmost one (also when another application is active).
    virtual void bringToFront() = 0;
    /// Called before toggling; true while shown and not minimized.
    virtual bool isVisible() const = 0;
    /// Called to close it; `windowWillClose` arrives before this returns.
    virtual void close() = 0;
    /// Called while it closes: gives up the keyboard focus; nothing when it has none.
    virtual void resignKey() = 0;
};

/// Makes settings windows.
class SettingsWindowHost {
public:
    virtual ~SettingsWindowHost() = default;
    /// Called on first use and after a close: a fresh window (460 by 540,
    /// titled "Quorvel Settings", centred, not yet shown) reporting to `events`.
    virtual std::unique_ptr<SettingsWindow> createWindow(SettingsWindowEvents& events) = 0;
    /// Called after the window closed: hands the focus back to the
    /// application that had it before; nothing when that is unknown.
    virtual void restorePreviousFocus() = 0;
};

}  // namespace quorvel::ports
