#pragma once

#include <cstdint>
#include <memory>

#include "ports/settings_window_host.h"

namespace quorvel::sim {

/// One settings window on the simulated desktop.
class SimSettingsWindow final : public ports::SettingsWindow {
public:
    explicit SimSettingsWindow(ports::SettingsWindowEvents& events) : events_(events) {}

    void bringToFront() override {
        shown_ = true;
        setKey(true);
    }
    bool isVisible() const override { return shown_; }
    void close() override {
        if (!shown_) return;
        events_.windowWillClose();
        shown_ = false;
    }
    void resignKey() override { setKey(false); }

    /// The user presses a key in the window; true when the window swallowed it.
    bool pressKey(std::uint32_t keyCode, std::uint32_t modifiers) {
        return shown_ && events_.keyDown(keyCode, modifiers);
    }
    /// Another window takes the focus (or gives it back).
    void setKey(bool key) {
        if (key == key_) return;
        key_ = key;
        key ? events_.windowDidBecomeKey() : events_.windowDidResignKey();
    }

private:
    ports::SettingsWindowEvents& events_;
    bool shown_ = false;
    bool key_ = false;
};

/// Makes simulated settings windows and remembers the newest.
class SimSettingsWindowHost final : public ports::SettingsWindowHost {
public:
    std::unique_ptr<ports::SettingsWindow> createWindow(
        ports::SettingsWindowEvents& events) override {
        auto window = std::make_unique<SimSettingsWindow>(events);
        window_ = window.get();
        return window;
    }
    void restorePreviousFocus() override { ++focusRestores_; }

    /// The newest window (valid while the controller keeps it).
    SimSettingsWindow* window() const { return window_; }
    int focusRestores() const { return focusRestores_; }

private:
    SimSettingsWindow* window_ = nullptr;
    int focusRestores_ = 0;
};

}  // namespace quorvel::sim
