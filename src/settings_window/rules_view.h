#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/scheduler.h"
#include "core/signal.h"
#include "settings_window/settings_window_services.h"

namespace quorvel::settings_window {

/// What a probe of the panels' settings says: a script that cannot be
/// started or is refused means no; any other outcome means yes.
bool panelsAnswer(const ports::ScriptOutcome& outcome);

/// What a panel choice hides, in the words of `desktop` (a panel table's
/// name; empty or unknown gives the generic "All panels", "Bottom panel", "Top panel").
std::string panelChoiceLabel(settings::PanelChoice choice, std::string_view desktop);

/// The Rules tab: hiding the panels (with a line saying whether their
/// settings answer), one window per monitor or one overall, and the
/// excluded applications.
class RulesView {
public:
    static constexpr double probeInterval = 2.0;
    static constexpr const char* panelsSilentText = "The panel settings did not answer";
    static constexpr const char* retryTitle = "Retry";
    static constexpr const char* panelsAnsweredText = "Panel settings answered";

    struct State {
        bool singleMode = false;
        settings::PanelChoice panels = settings::PanelChoice::all;
        bool hidePanels = false;
        bool panelsAnswer = false;
        bool operator==(const State&) const = default;
    };

    /// Probes the panels' settings once.
    explicit RulesView(SettingsWindowServices& services);
    RulesView(const RulesView&) = delete;
    RulesView& operator=(const RulesView&) = delete;

    State state() const;
    const std::vector<settings::ExcludedApp>& excludedApps() const {
        return services_.excludedApps.list();
    }
    bool isProbing() const { return probeTimer_.isActive(); }

    /// The tab came into view / went out of view: the probe runs while it shows.
    void appear();
    void disappear();
    /// The picker's text for `choice` on this desktop.
    std::string choiceLabel(settings::PanelChoice choice) const;

    // The user's actions.
    void setHidePanels(bool hide);
    void selectPanels(settings::PanelChoice choice);
    /// "Retry": asks the panel settings again and opens them where they exist.
    void pressRetry();
    void selectSingleMode(bool single);
    /// The picker's choice: the desktop entry at `location`. False when it is
    /// not a readable application (nothing changes then).
    bool addApplication(const std::string& location);
    void removeApplication(const std::string& appId);

    /// After every change of what the tab shows.
    core::Signal<> changed;

private:
    void probe();

    SettingsWindowServices& services_;
    bool panelsAnswer_ = false;
    core::Timer probeTimer_;
    std::vector<core::Connection> watches_;
};

}  // namespace quorvel::settings_window
