#include "app/app_context.h"

#include <stdexcept>

#include "controls/hot_key_manager.h"
#include "controls/menu_bar_item.h"
#include "controls/tooltip_window.h"
#include "rules/system_ui_manager.h"
#include "services/launch_at_login_manager.h"
#include "services/update_manager.h"

namespace quorvel::app {

AppContext::AppContext(DesktopPorts ports, std::filesystem::path configDir)
    : ports_(ports), configDir_(std::move(configDir)) {
    // The first call into the auto-hide manager makes it, as any first
    // access does: focus that starts with the tray item applies auto-hide on
    // its very first sample. A desktop without panel scripts has no manager.
    focusHooks_.isDetecting = [this] { return menuBarItem_ && menuBarItem_->isDetecting(); };
    focusHooks_.updateAutoHide = [this](bool on) {
        if (ports_.scripts) systemUIManager().updateAutoHide(on);
    };
}

AppContext::~AppContext() {
    focusHooks_ = {};
    while (!owned_.empty()) owned_.pop_back();
}

namespace {
template <typename T>
T& required(T* port, const char* what) {
    if (!port) throw std::logic_error(std::string("the desktop has no ") + what);
    return *port;
}
}  // namespace

std::unique_ptr<core::PreferenceStore> AppContext::makeStore(const char* fileName) {
    if (configDir_.empty()) return std::make_unique<core::PreferenceStore>(ports_.scheduler);
    return std::make_unique<core::PreferenceStore>(configDir_ / fileName, ports_.scheduler);
}

core::PreferenceStore& AppContext::settingsStore() {
    return lazy(settingsStore_, [this] { return makeStore(kSettingsFileName); });
}

core::PreferenceStore& AppContext::standardStore() {
    return lazy(standardStore_, [this] { return makeStore(kStandardFileName); });
}

settings::SettingsManager& AppContext::settingsManager() {
    return lazy(settingsManager_, [this] {
        return std::make_unique<settings::SettingsManager>(settingsStore(), notificationCenter_,
                                                           ports_.appCatalog);
    });
}

look::OverlayStyle& AppContext::overlayStyle() {
    return lazy(overlayStyle_, [this] {
        return std::make_unique<look::OverlayStyle>(settingsManager(), notificationCenter_);
    });
}

rules::ExcludedAppsManager& AppContext::excludedAppsManager() {
    return lazy(excludedAppsManager_, [this] {
        return std::make_unique<rules::ExcludedAppsManager>(settingsManager(), notificationCenter_,
                                                            ports_.workspace, focusHooks_);
    });
}

tracking::WindowPoller& AppContext::windowPoller() {
    return lazy(windowPoller_, [this] {
        return std::make_unique<tracking::WindowPoller>(ports_.scheduler, ports_.windowList,
                                                        ports_.screens, standardStore());
    });
}

tracking::OverlayController& AppContext::overlayController() {
    return lazy(overlayController_, [this] {
        // Argument order is unspecified in C++; the order of creation is not.
        auto& settings = settingsManager();
        auto& style = overlayStyle();
        auto& excluded = excludedAppsManager();
        auto& poller = windowPoller();
        tracking::OverlayControllerPorts ports{ports_.scheduler, ports_.screens,
                                               ports_.workspace, ports_.windowList,
                                               ports_.overview,  ports_.overlayWindows};
        return std::make_unique<tracking::OverlayController>(
            ports, poller, settings, notificationCenter_, style, excluded, focusHooks_);
    });
}

}  // namespace quorvel::app

namespace quorvel::app {

controls::MenuBarItem& AppContext::menuBarItem() {
    return lazy(menuBarItem_, [this] {
        auto& settings = settingsManager();
        auto& style = overlayStyle();
        auto& excluded = excludedAppsManager();
        auto& controller = overlayController();
        controls::MenuBarHooks hooks;
        hooks.openSettings = [this] {
            if (applicationHooks_.openSettings) applicationHooks_.openSettings();
        };
        hooks.checkForUpdates = [this] {
            if (ports_.updateDriver && !updateManager().isCheckingForUpdates()) {
                updateManager().checkForUpdates();
            }
        };
        hooks.quit = [this] {
            if (applicationHooks_.quit) applicationHooks_.quit();
        };
        hooks.updateAutoHide = [this](bool on) { focusHooks_.callUpdateAutoHide(on); };
        return std::make_unique<controls::MenuBarItem>(
            settings, style, controller, excluded, notificationCenter_, ports_.scheduler,
            required(ports_.statusItem, "tray"), ports_.workspace, ports_.appCatalog, hooks);
    });
}

controls::HotKeyManager& AppContext::hotKeyManager() {
    return lazy(hotKeyManager_, [this] {
        auto& menuBar = menuBarItem();
        return std::make_unique<controls::HotKeyManager>(
            settingsManager(), overlayStyle(), menuBar, notificationCenter_, ports_.scheduler,
            required(ports_.globalHotkeys, "global shortcuts"), ports_.keyboardLayout,
            ports_.userNotifications);
    });
}

controls::TooltipWindow& AppContext::tooltipWindow() {
    return lazy(tooltipWindow_, [this] {
        return std::make_unique<controls::TooltipWindow>(required(ports_.hintWindow, "hint window"),
                                                         required(ports_.statusItem, "tray"),
                                                         ports_.screens);
    });
}

rules::SystemUIManager& AppContext::systemUIManager() {
    return lazy(systemUIManager_, [this] {
        auto& settings = settingsManager();
        auto& excluded = excludedAppsManager();
        auto& store = standardStore();
        rules::SystemUIManager::Hooks hooks{
            [this] { return focusHooks_.readIsDetecting(); },
            [this, &excluded] {
                auto front = ports_.workspace.frontmostApplication();
                return front && excluded.isExcluded(front->bundleId);
            }};
        return std::make_unique<rules::SystemUIManager>(
            settings, notificationCenter_, ports_.scheduler,
            required(ports_.scripts, "script service"), ports_.panelScripts, store, hooks);
    });
}

services::UpdateManager& AppContext::updateManager() {
    return lazy(updateManager_, [this] {
        services::UpdatePorts ports{required(ports_.updateDriver, "update driver"),
                                    required(ports_.userNotifications, "notifications"),
                                    required(ports_.launcherBadge, "launcher badge"),
                                    required(ports_.presence, "taskbar presence"),
                                    required(ports_.wallClock, "wall clock")};
        return std::make_unique<services::UpdateManager>(ports, standardStore(), ports_.scheduler);
    });
}

services::LaunchAtLoginManager& AppContext::launchAtLoginManager() {
    return lazy(launchAtLoginManager_, [this] {
        return std::make_unique<services::LaunchAtLoginManager>(
            required(ports_.loginItems, "login items"));
    });
}

}  // namespace quorvel::app
