// The settings window's view of the rest of the application.
#include <stdexcept>

#include "app/application.h"

namespace quorvel::app {

namespace {

const ports::WallClock& required(ports::WallClock* clock) {
    if (!clock) throw std::logic_error("the desktop has no wall clock");
    return *clock;
}

}  // namespace

settings_window::SettingsWindowServices Application::settingsWindowServices() {
    settings_window::SettingsWindowHooks hooks;
    if (panels_) {
        hooks.openPanelSettings = [this] { panels_->openPanelSettings(); };
        hooks.panelDesktop = [this] {
            return ports_.panelScripts ? ports_.panelScripts->desktop : std::string();
        };
        hooks.probePanels = [this]() -> std::optional<ports::ScriptOutcome> {
            if (!ports_.panelScripts) return std::nullopt;
            return ports_.scripts->execute(ports_.panelScripts->dock.read);
        };
    }
    hooks.runningApplicationIds = [this] {
        std::vector<std::string> ids;
        for (const auto& app : ports_.desktop.runningApplications()) {
            if (app.appId) ids.push_back(*app.appId);
        }
        return ids;
    };
    if (updates_) {
        hooks.lastUpdateCheck = [this] { return updates_->lastUpdateCheck(); };
        hooks.isCheckingForUpdates = [this] { return updates_->isCheckingForUpdates(); };
        hooks.checkForUpdates = [this] {
            if (!updates_->isCheckingForUpdates()) updates_->checkForUpdates();
        };
        hooks.checksForUpdatesAutomatically = [this] {
            return updates_->automaticallyChecksForUpdates();
        };
        hooks.setChecksForUpdatesAutomatically = [this](bool on) {
            updates_->setAutomaticallyChecksForUpdates(on);
        };
    }
    if (autostart_) {
        hooks.isAutostartEnabled = [this] { return autostart_->isEnabled(); };
        hooks.setAutostartEnabled = [this](bool on) { autostart_->setEnabled(on); };
        hooks.refreshAutostart = [this] { autostart_->refresh(); };
    }
    if (trayHint_) hooks.showHint = [this] { showHint(); };
    if (shortcuts_) {
        hooks.shortcutProblem = [this](int row) {
            const auto id = controls::shortcutId(static_cast<std::uint32_t>(row + 1));
            return id ? shortcuts_->problem(*id) : std::string();
        };
        hooks.setRecording = [this](bool recording) { shortcuts_->setSuspended(recording); };
    }
    return settings_window::SettingsWindowServices{ports_.scheduler,
                                                   settings_,
                                                   session_,
                                                   excludedApps_,
                                                   ports_.appCatalog,
                                                   ports_.keyboardLayout,
                                                   required(ports_.wallClock),
                                                   std::move(hooks)};
}

}  // namespace quorvel::app
