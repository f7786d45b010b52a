// The settings window's view of the rest of the application. Every hook goes
// through the context's accessors when it runs, so that opening the window
// creates nothing early.
#include <stdexcept>

#include "app/app_context.h"
#include "controls/hot_key_manager.h"
#include "controls/menu_bar_item.h"
#include "controls/tooltip_window.h"
#include "rules/system_ui_manager.h"
#include "services/launch_at_login_manager.h"
#include "services/update_manager.h"
#include "settings_window/settings_window_services.h"

namespace quorvel::app {

namespace {
const ports::WallClock& required(ports::WallClock* clock) {
    if (!clock) throw std::logic_error("the desktop has no wall clock");
    return *clock;
}
}  // namespace

settings_window::SettingsWindowServices AppContext::makeSettingsWindowServices() {
    settings_window::SettingsWindowHooks hooks;
    hooks.isDetecting = [this] { return focusHooks_.readIsDetecting(); };
    hooks.setDetecting = [this](bool on) { menuBarItem().setDetecting(on); };
    hooks.updateModeItems = [this](settings::FocusMode mode) {
        menuBarItem().updateModeItems(mode);
    };
    hooks.updateAutoHide = [this](bool on) { focusHooks_.callUpdateAutoHide(on); };
    if (ports_.scripts) {
        hooks.startPermissionMonitoring = [this](const std::string& option, bool enabled) {
            systemUIManager().startPermissionMonitoring(option, enabled);
        };
        hooks.openAutomationSettings = [this] { systemUIManager().openAutomationSettings(); };
        hooks.panelDesktop = [this] {
            return ports_.panelScripts ? ports_.panelScripts->desktop : std::string();
        };
        hooks.runPermissionProbe = [this]() -> std::optional<ports::ScriptOutcome> {
            if (!ports_.panelScripts) return std::nullopt;
            return ports_.scripts->execute(ports_.panelScripts->dock.read);
        };
    }
    hooks.runningApplicationIds = [this] {
        std::vector<std::string> ids;
        for (const auto& app : ports_.workspace.runningApplications()) {
            if (app.bundleId) ids.push_back(*app.bundleId);
        }
        return ids;
    };
    if (ports_.updateDriver) {
        hooks.lastUpdateCheck = [this] { return updateManager().lastUpdateCheck(); };
        hooks.isCheckingForUpdates = [this] { return updateManager().isCheckingForUpdates(); };
        hooks.checkForUpdates = [this] {
            if (!updateManager().isCheckingForUpdates()) updateManager().checkForUpdates();
        };
        hooks.checksForUpdatesAutomatically = [this] {
            return updateManager().automaticallyChecksForUpdates();
        };
        hooks.setChecksForUpdatesAutomatically = [this](bool on) {
            updateManager().setAutomaticallyChecksForUpdates(on);
        };
    }
    if (ports_.loginItems) {
        hooks.isLaunchAtLoginEnabled = [this] { return launchAtLoginManager().isEnabled(); };
        hooks.setLaunchAtLoginEnabled = [this](bool on) { launchAtLoginManager().setEnabled(on); };
        hooks.refreshLaunchAtLogin = [this] { launchAtLoginManager().refresh(); };
    }
    if (ports_.hintWindow && ports_.statusItem) {
        hooks.showTooltip = [this] {
            const auto caps = [this](std::optional<settings::KeyCombo> combo) {
                return combo ? combo->keyCaps(ports_.keyboardLayout) : std::vector<std::string>{};
            };
            ports_.hintWindow->setShortcutKeys(caps(settingsManager().shortcut()),
                                               caps(settingsManager().focusModeShortcut()));
            tooltipWindow().showTooltip();
        };
    }
    if (ports_.globalHotkeys) {
        hooks.shortcutProblem = [this](int row) {
            const auto id = controls::hotKeyID(static_cast<std::uint32_t>(row + 1));
            return id ? hotKeyManager().problem(*id) : std::string();
        };
    }
    auto& settings = settingsManager();
    auto& style = overlayStyle();
    auto& excluded = excludedAppsManager();
    auto& controller = overlayController();
    return settings_window::SettingsWindowServices{ports_.scheduler,
                                                   notificationCenter_,
                                                   settings,
                                                   style,
                                                   controller,
                                                   excluded,
                                                   ports_.appCatalog,
                                                   ports_.keyboardLayout,
                                                   required(ports_.wallClock),
                                                   std::move(hooks)};
}

}  // namespace quorvel::app
