#include "settings_window/rules_view.h"

#include "core/log.h"

namespace quorvel::settings_window {

bool panelsAnswer(const ports::ScriptOutcome& outcome) {
    if (!outcome.compiled) return false;
    if (!outcome.error) return true;
    return outcome.error->number != ports::scriptNotPermittedError;
}

RulesView::RulesView(SettingsWindowServices& services) : services_(services) {
    auto& settings = services.settings;
    for (core::Signal<>* signal :
         {&settings.singleMode.changed(), &settings.panels.changed(),
          &settings.hidePanels.changed(), &services.excludedApps.changed()}) {
        watches_.push_back(signal->connect([this] { changed.emit(); }));
    }
    watches_.push_back(settings.hidePanels.changed().connect([this] {
        if (!services_.settings.hidePanels.get()) probeTimer_.cancel();
        probe();
    }));
    probe();
}

RulesView::State RulesView::state() const {
    const auto& settings = services_.settings;
    return State{settings.singleMode.get(), settings.panels.get(), settings.hidePanels.get(),
                 panelsAnswer_};
}

void RulesView::probe() {
    bool answers = false;
    if (services_.settings.hidePanels.get()) {
        const auto outcome =
            services_.hooks.probePanels ? services_.hooks.probePanels() : std::nullopt;
        answers = !outcome || panelsAnswer(*outcome);
    }
    if (answers == panelsAnswer_) return;
    panelsAnswer_ = answers;
    core::log(std::string("🪟 The panel settings ") + (answers ? "answer" : "do not answer"));
    changed.emit();
}

void RulesView::appear() {
    if (!services_.settings.hidePanels.get()) return;
    probeTimer_ =
        services_.scheduler.repeating(probeInterval, core::TimerMode::Common, [this] { probe(); });
}

void RulesView::disappear() {
    probeTimer_.cancel();
}

void RulesView::setHidePanels(bool hide) {
    services_.settings.hidePanels.set(hide);
    if (hide) appear();
}

void RulesView::selectPanels(settings::PanelChoice choice) {
    services_.settings.panels.set(choice);
}

std::string panelChoiceLabel(settings::PanelChoice choice, std::string_view desktop) {
    using settings::PanelChoice;
    if (choice == PanelChoice::all) return "All panels";
    const bool top = choice == PanelChoice::top;
    // GNOME has a dock (dash-to-dock) and a top bar; the panel tables of the
    // others count every panel off the top edge as the dock's kind, wherever it sits.
    if (desktop == "GNOME") return top ? "Top bar" : "Dock";
    if (desktop == "XFCE" || desktop == "KDE" || desktop == "MATE" || desktop == "Cinnamon") {
        return top ? "Top panel" : "Other panels";
    }
    return top ? "Top panel" : "Bottom panel";
}

std::string RulesView::choiceLabel(settings::PanelChoice choice) const {
    const auto& hook = services_.hooks.panelDesktop;
    return panelChoiceLabel(choice, hook ? hook() : std::string());
}

void RulesView::pressRetry() {
    probe();
    if (services_.hooks.openPanelSettings) services_.hooks.openPanelSettings();
}

void RulesView::selectSingleMode(bool single) {
    services_.settings.singleMode.set(single);
}

bool RulesView::addApplication(const std::string& location) {
    auto app = settings::ExcludedApp::fromLocation(location, services_.catalog);
    if (!app) return false;
    services_.excludedApps.add(*app);
    return true;
}

void RulesView::removeApplication(const std::string& appId) {
    services_.excludedApps.remove(appId);
}

}  // namespace quorvel::settings_window
