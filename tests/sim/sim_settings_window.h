#pragma once

#include <cstdint>
#include <memory>

#include "ports/settings_window_host.h"

namespace quorvel::sim {

class SimSettingsWindowHost;

/// One settings window on the simulated desktop.
class SimSettingsWindow final : public ports::SettingsWindow {
public:
    SimSettingsWindow(SimSettingsWindowHost& host, ports::SettingsWindowEvents& events);
    ~SimSettingsWindow() override;

    void bringToFront() override;
    bool isVisible() const override { return shown_ && !minimized_; }
    void close() override;
    void resignKey() override;

    // Control surface: what the user and the window manager do.
    /// The user presses a key in the window; true when the window swallowed it.
    bool pressKey(std::uint32_t keyCode, std::uint32_t modifiers);
    void minimize() { minimized_ = true; }
    /// Another window takes the focus (or gives it back).
    void setKey(bool key);
    bool isKey() const { return key_; }
    bool isClosed() const { return closed_; }
    int bringToFrontCount() const { return bringToFrontCount_; }

private:
    SimSettingsWindowHost& host_;
    ports::SettingsWindowEvents& events_;
    bool shown_ = false;
    bool minimized_ = false;
    bool key_ = false;
    bool closed_ = false;
    int bringToFrontCount_ = 0;
};

/// Makes simulated settings windows and remembers the newest.
class SimSettingsWindowHost final : public ports::SettingsWindowHost {
public:
    std::unique_ptr<ports::SettingsWindow> createWindow(
        ports::SettingsWindowEvents& events) override;
    void restorePreviousFocus() override { ++focusRestores_; }

    /// The newest window while it exists; null otherwise.
    SimSettingsWindow* window() const { return current_; }
    int createdCount() const { return created_; }
    int focusRestores() const { return focusRestores_; }

private:
    friend class SimSettingsWindow;
    SimSettingsWindow* current_ = nullptr;
    int created_ = 0;
    int focusRestores_ = 0;
};

}  // namespace quorvel::sim
