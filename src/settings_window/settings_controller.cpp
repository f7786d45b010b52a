#include "settings_window/settings_controller.h"

#include <utility>

#include "settings/key_combo.h"

namespace quorvel::settings_window {

SettingsController::SettingsController(SettingsState& state, ports::SettingsWindowHost& host,
                                       core::Scheduler& scheduler)
    : state_(state), host_(host), scheduler_(scheduler) {}

SettingsController::~SettingsController() {
    // The window reports to this controller; it must not outlive it.
    settingsWindow_.reset();
}

void SettingsController::showSettings(const std::optional<std::string>& tab) {
    if (tab) {
        if (auto parsed = parseSettingsTab(*tab)) state_.setSelectedTab(*parsed);
    }
    if (settingsWindow_) {
        if (settingsWindow_->isVisible()) {
            settingsWindow_->close();
        } else {
            settingsWindow_->bringToFront();
            setWindowVisible(true);
        }
        return;
    }
    settingsWindow_ = host_.createWindow(*this);
    settingsWindow_->bringToFront();
    setWindowVisible(true);
}

void SettingsController::closeSettings() {
    if (settingsWindow_) settingsWindow_->close();
}

void SettingsController::windowDidBecomeKey() {
    eventMonitor_ = true;
}

void SettingsController::windowDidResignKey() {
    eventMonitor_ = false;
}

bool SettingsController::keyDown(std::uint32_t keyCode, std::uint32_t modifiers) {
    // Control is this desktop's close modifier (Ctrl+W closes documents and tabs).
    if (!eventMonitor_ || keyCode != kCloseKeyCode || !(modifiers & settings::modifier::control)) {
        return false;
    }
    closeSettings();
    return true;
}

void SettingsController::windowWillClose() {
    if (!settingsWindow_) return;
    eventMonitor_ = false;
    settingsWindow_->resignKey();
    // The window is still inside its own close call: release it on the next turn.
    scheduler_.async([window = std::exchange(settingsWindow_, nullptr)] {});
    setWindowVisible(false);
    state_.setSelectedTab(SettingsTab::appearance);
    host_.restorePreviousFocus();
}

void SettingsController::setWindowVisible(bool visible) {
    if (isWindowVisible_ == visible) return;
    isWindowVisible_ = visible;
    isWindowVisibleChanged.emit(visible);
}

}  // namespace quorvel::settings_window
