#pragma once

#include <memory>
#include <optional>
#include <string>

#include "core/scheduler.h"
#include "core/signal.h"
#include "ports/settings_window_host.h"
#include "settings_window/settings_state.h"

namespace quorvel::settings_window {

/// Owns the one settings window: makes it on first use, shows or closes it,
/// closes it on Ctrl+W while it has the focus, and says when it shows (the
/// application has a taskbar entry while it does).
class SettingsController final : private ports::SettingsWindowEvents {
public:
    /// The stored key code of W; with Control (the desktop's close modifier) it closes.
    static constexpr std::uint32_t kCloseKeyCode = 13;

    SettingsController(SettingsState& state, ports::SettingsWindowHost& host,
                       core::Scheduler& scheduler);
    ~SettingsController() override;
    SettingsController(const SettingsController&) = delete;
    SettingsController& operator=(const SettingsController&) = delete;

    /// Opens the window (on `tab` when it names one), or closes it when it is
    /// already visible.
    void showSettings(const std::optional<std::string>& tab = std::nullopt);
    /// Closes the window when there is one.
    void closeSettings();

    bool isWindowVisible() const { return isWindowVisible_; }
    bool hasWindow() const { return settingsWindow_ != nullptr; }
    /// True while the Ctrl+W watch is installed (the window has the focus).
    bool isMonitoringKeys() const { return eventMonitor_; }
    SettingsState& state() { return state_; }

    /// Emitted with the new value whenever `isWindowVisible` changes.
    core::Signal<bool> isWindowVisibleChanged;

private:
    void windowDidBecomeKey() override;
    void windowDidResignKey() override;
    void windowWillClose() override;
    bool keyDown(std::uint32_t keyCode, std::uint32_t modifiers) override;
    void setWindowVisible(bool visible);

    SettingsState& state_;
    ports::SettingsWindowHost& host_;
    core::Scheduler& scheduler_;
    std::shared_ptr<ports::SettingsWindow> settingsWindow_;
    bool eventMonitor_ = false;
    bool isWindowVisible_ = false;
};

}  // namespace quorvel::settings_window
