#pragma once

#include <functional>
#include <optional>
#include <string>

#include "core/notification_center.h"
#include "core/preference_store.h"
#include "core/scheduler.h"
#include "ports/script_service.h"
#include "rules/panel_scripts.h"
#include "settings/settings_manager.h"

namespace quorvel::rules {

/// Hides the desktop's dock and/or top bar while focus is on and gives the
/// user's own panel settings back when focus ends, the frontmost application
/// is excluded, auto-hide is switched off, or the program quits. The values
/// read at the first apply are also kept in the standard store, so that a
/// start after a crash puts them back before anything else.
class SystemUIManager {
public:
    /// The standard-store key of the values captured at the first apply.
    static constexpr const char* capturedPanelSettingsKey = "captured_panel_settings";

    struct Hooks {
        std::function<bool()> isDetecting;          // the status item's switch
        std::function<bool()> isFrontmostExcluded;  // frontmost app in the excluded list
    };

    /// Without a table (`desktop` empty) auto-hide is unavailable: one log
    /// line, and no panel is ever touched.
    SystemUIManager(settings::SettingsManager& settings, core::NotificationCenter& center,
                    core::Scheduler& scheduler, ports::ScriptService& scripts,
                    std::optional<PanelScripts> desktop, core::PreferenceStore& standardStore,
                    Hooks hooks);
    ~SystemUIManager();
    SystemUIManager(const SystemUIManager&) = delete;
    SystemUIManager& operator=(const SystemUIManager&) = delete;

    /// Brings the panels into line with focus, the settings and exclusion.
    void updateAutoHide(bool focusActive);
    /// Writes back the values captured at the first apply; at quit this also
    /// clears the crash record.
    void restoreSystemSettings();
    /// Waits for the settings service, keeping `option` and `enabled` to store
    /// once it answers; a probe runs at once and then every second.
    void startPermissionMonitoring(const std::string& option, bool enabled);
    void stopPermissionMonitoring();
    /// The probe's action.
    void checkPermissionStatus();
    /// Opens the desktop's own panel settings.
    void openAutomationSettings();

    bool isAvailable() const { return desktop_.has_value(); }
    bool isWaitingForPermission() const { return isWaitingForPermission_; }
    const std::optional<PanelSetting>& originalDockAutoHide() const { return originalDock_; }
    const std::optional<PanelSetting>& originalMenuBarAutoHide() const { return originalMenuBar_; }
    const std::optional<std::string>& pendingAutoHideOption() const { return pendingOption_; }
    bool pendingAutoHideEnabled() const { return pendingEnabled_; }

private:
    enum class Panel { dock, menuBar };
    struct AppliedState {
        bool active;
        std::string option;
        bool enabled;
        bool operator==(const AppliedState&) const = default;
    };

    void handleFocusStateChange();
    void handleSettingsChange();
    void captureSystemSettings();
    /// Writes, verifies, and writes once more on a mismatch; true when the
    /// check matched.
    bool setAutoHide(Panel panel, bool hidden);
    bool writeVerified(Panel panel, const std::string& value, bool wanted);
    std::optional<ports::ScriptValue> runScript(const std::string& source);
    std::optional<PanelSetting> readDirectly(Panel panel);
    const PanelElementScripts* scriptsFor(Panel panel);
    std::optional<PanelSetting>& originalFor(Panel panel) {
        return panel == Panel::dock ? originalDock_ : originalMenuBar_;
    }
    std::optional<std::string>& ourValueFor(Panel panel) {
        return panel == Panel::dock ? ourDock_ : ourMenuBar_;
    }
    /// The captured pairs to write back, less the panels the user set by hand
    /// since we set them (those become the captured values); empty: none left.
    std::string valueToRestore(Panel panel);
    bool hasAllOriginals() const;
    bool hasAnyOriginal() const;
    std::string storedOption() const;

    void persistCapture();
    void restoreUncleanExit();

    settings::SettingsManager& settings_;
    core::NotificationCenter& center_;
    core::Scheduler& scheduler_;
    ports::ScriptService& scripts_;
    std::optional<PanelScripts> desktop_;
    core::PreferenceStore& standardStore_;
    Hooks hooks_;

    std::optional<AppliedState> lastAppliedState_;
    bool isCurrentAppExcluded_ = false;
    std::optional<PanelSetting> originalDock_;
    std::optional<PanelSetting> originalMenuBar_;
    std::optional<std::string> ourDock_;  // the value we last set, until it is given back
    std::optional<std::string> ourMenuBar_;
    core::Timer permissionMonitorTimer_;
    bool isWaitingForPermission_ = false;
    std::optional<std::string> pendingOption_;
    bool pendingEnabled_ = false;

    bool uncleanExitPending_ = false;  // the crash record still waits for the service
    bool menuBarNoticeLogged_ = false;
    bool captureRefused_ = false;  // the last capture met a service that does not answer
    core::Observation focusObservation_;
    core::Observation settingsObservation_;
};

}  // namespace quorvel::rules
