#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "app/desktop_ports.h"
#include "controls/shortcuts.h"
#include "controls/tray_hint.h"
#include "controls/tray_icon.h"
#include "core/preference_store.h"
#include "focus/focus_session.h"
#include "focus/front_application.h"
#include "rules/excluded_apps.h"
#include "rules/panel_auto_hide.h"
#include "services/autostart.h"
#include "services/update_manager.h"
#include "settings/settings.h"
#include "settings_window/settings_window_services.h"
#include "tracking/veil_controller.h"

namespace quorvel::app {

/// One running Quorvel: every long-lived part, made here in the order the
/// members are listed and gone in the reverse order. Parts whose port the
/// desktop lacks are not made. Nothing is global: tests make one each.
class Application final : private ports::SessionEvents {
public:
    static constexpr const char* kSettingsFileName = "com.quorvel.settings.json";
    static constexpr const char* kStandardFileName = "quorvel.json";
    /// After an unlock or a wake the veils come back this much later.
    static constexpr double kRestartDelay = 0.3;
    static constexpr const char* kFeedbackLink =
        "mailto:support@quorvel.app?subject=Quorvel%20Feedback";
    static constexpr const char* kProductPage = "https://quorvel.app";

    /// An empty `configDir` keeps both stores in memory only. Focus starts at
    /// once when it was on at the last quit.
    Application(DesktopPorts ports, std::filesystem::path configDir = {});
    ~Application() override;
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    const DesktopPorts& ports() const { return ports_; }
    ApplicationHooks& hooks() { return hooks_; }
    core::PreferenceStore& settingsStore() { return *settingsStore_; }
    /// Quorvel's own records (update checks, captured panel settings).
    core::PreferenceStore& standardStore() { return *standardStore_; }
    settings::Settings& settings() { return settings_; }
    rules::ExcludedApps& excludedApps() { return excludedApps_; }
    focus::FocusSession& session() { return session_; }
    focus::FrontApplication& front() { return front_; }
    tracking::VeilController& veils() { return veils_; }
    // Null where the desktop lacks what they need.
    rules::PanelAutoHide* panels() { return panels_.get(); }
    controls::TrayIcon* trayIcon() { return trayIcon_.get(); }
    controls::TrayHint* trayHint() { return trayHint_.get(); }
    controls::Shortcuts* shortcuts() { return shortcuts_.get(); }
    services::UpdateManager* updates() { return updates_.get(); }
    services::Autostart* autostart() { return autostart_.get(); }

    /// What the settings window reads and drives.
    settings_window::SettingsWindowServices settingsWindowServices();
    /// Runs an action of the settings window's menus; false for the editing
    /// ones, which go to the control that has the keyboard focus.
    bool perform(const std::string& menuAction);
    /// The tray hint with the present shortcuts.
    void showHint();
    /// Stops the veils (they fade out over the fade duration, which the caller
    /// lets finish) and gives the panels back. Safe to call twice.
    void quit();

    bool isScreenLocked() const { return locked_; }
    // The session's lock, unlock and wake (also called by tests).
    void screenLocked() override;
    void screenUnlocked() override;
    void didWake() override;

private:
    std::unique_ptr<core::PreferenceStore> makeStore(const char* fileName);
    void followFocus();
    void restartLater(bool endsWake);
    void openLink(const std::string& url, const char* message);

    DesktopPorts ports_;
    std::filesystem::path configDir_;
    ApplicationHooks hooks_;
    std::unique_ptr<core::PreferenceStore> settingsStore_;
    std::unique_ptr<core::PreferenceStore> standardStore_;
    settings::Settings settings_;
    rules::ExcludedApps excludedApps_;
    focus::FocusSession session_;
    focus::FrontApplication front_;
    tracking::VeilController veils_;
    std::unique_ptr<rules::PanelAutoHide> panels_;
    std::unique_ptr<controls::TrayIcon> trayIcon_;
    std::unique_ptr<controls::TrayHint> trayHint_;
    std::unique_ptr<controls::Shortcuts> shortcuts_;
    std::unique_ptr<services::UpdateManager> updates_;
    std::unique_ptr<services::Autostart> autostart_;

    core::Connection focusWatch_;
    bool locked_ = false;
    bool handlingWake_ = false;
    bool quit_ = false;
    core::Timer restart_;
};

}  // namespace quorvel::app
