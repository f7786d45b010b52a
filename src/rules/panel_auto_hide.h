#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/preference_store.h"
#include "core/scheduler.h"
#include "core/signal.h"
#include "focus/focus_session.h"
#include "focus/front_application.h"
#include "ports/script_service.h"
#include "ports/top_bar.h"
#include "rules/panel_scripts.h"
#include "settings/settings.h"

namespace quorvel::rules {

/// Hides the desktop's panels (the dock, the top panel, or both) while focus
/// is on, and gives the user's own panel settings back when focus ends, the
/// application in front is excluded, hiding is switched off, or the program
/// quits. The values read at the first hiding are also kept in the standard
/// store, so that a start after a crash puts them back before anything else.
class PanelAutoHide {
public:
    /// The standard-store key of the values captured at the first hiding.
    static constexpr const char* capturedPanelSettingsKey = "captured_panel_settings";

    /// Without a table (`desktop` empty) nothing is hidden on this desktop:
    /// one log line, and no panel is ever touched. `topBar`, where the table
    /// has no top panel, slides the top bar away instead.
    PanelAutoHide(settings::Settings& settings, focus::FocusSession& session,
                  focus::FrontApplication& front, core::Scheduler& scheduler,
                  ports::ScriptService& scripts, std::optional<PanelScripts> desktop,
                  core::PreferenceStore& standardStore, ports::TopBar* topBar = nullptr);
    ~PanelAutoHide();
    PanelAutoHide(const PanelAutoHide&) = delete;
    PanelAutoHide& operator=(const PanelAutoHide&) = delete;

    /// Brings the panels into line with focus, the settings and exclusion.
    void update();
    /// Writes back the values captured at the first hiding; at quit this also
    /// clears the crash record.
    void restoreSystemSettings();
    /// Opens the desktop's own panel settings.
    void openPanelSettings();

    bool isAvailable() const { return desktop_.has_value(); }
    /// The panels' settings service does not answer yet; probed every second.
    bool isWaitingForService() const { return serviceProbe_.isActive(); }
    const std::optional<PanelSetting>& originalDockAutoHide() const { return originalDock_; }
    const std::optional<PanelSetting>& originalTopAutoHide() const { return originalTop_; }

private:
    enum class Panel { dock, top };
    struct AppliedState {
        bool active;
        settings::PanelChoice choice;
        bool enabled;
        bool operator==(const AppliedState&) const = default;
    };

    void captureSystemSettings();
    /// Writes, verifies, and writes once more on a mismatch; true when the
    /// check matched.
    bool setAutoHide(Panel panel, bool hidden);
    bool writeVerified(Panel panel, const std::string& value, bool wanted);
    std::optional<ports::ScriptValue> runScript(const std::string& source);
    std::optional<PanelSetting> readDirectly(Panel panel);
    const PanelElementScripts* scriptsFor(Panel panel);
    static const char* nameOf(Panel panel) { return panel == Panel::dock ? "dock" : "top panel"; }
    std::optional<PanelSetting>& originalFor(Panel panel) {
        return panel == Panel::dock ? originalDock_ : originalTop_;
    }
    std::optional<std::string>& ourValueFor(Panel panel) {
        return panel == Panel::dock ? ourDock_ : ourTop_;
    }
    /// The captured pairs to write back, less the panels the user set by hand
    /// since we set them (those become the captured values); empty: none left.
    std::string valueToRestore(Panel panel);
    bool hasAllOriginals() const;
    bool hasAnyOriginal() const;

    void waitForService();
    void probeService();
    void persistCapture();
    void restoreUncleanExit();

    settings::Settings& settings_;
    focus::FocusSession& session_;
    focus::FrontApplication& front_;
    core::Scheduler& scheduler_;
    ports::ScriptService& scripts_;
    std::optional<PanelScripts> desktop_;
    core::PreferenceStore& standardStore_;
    ports::TopBar* topBar_;

    std::optional<AppliedState> lastAppliedState_;
    std::optional<PanelSetting> originalDock_;
    std::optional<PanelSetting> originalTop_;
    std::optional<std::string> ourDock_;  // the value we last set, until it is given back
    std::optional<std::string> ourTop_;
    core::Timer serviceProbe_;

    bool uncleanExitPending_ = false;  // the crash record still waits for the service
    bool topNoticeLogged_ = false;
    bool captureRefused_ = false;  // the last capture met a service that does not answer
    std::vector<core::Connection> watches_;
};

}  // namespace quorvel::rules
