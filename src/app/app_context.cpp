#include "app/app_context.h"

namespace quorvel::app {

AppContext::AppContext(DesktopPorts ports, std::filesystem::path configDir)
    : ports_(ports), configDir_(std::move(configDir)) {
    // Wiring to subsystems that arrive later goes here, one line each, e.g.
    //   focusHooks_.updateAutoHide = [this](bool on) { systemUIManager().updateAutoHide(on); };
    //   focusHooks_.isDetecting = [this] { return menuBarItem().isDetecting(); };
}

AppContext::~AppContext() {
    while (!owned_.empty()) owned_.pop_back();
}

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

overlay::OverlayStyle& AppContext::overlayStyle() {
    return lazy(overlayStyle_, [this] {
        return std::make_unique<overlay::OverlayStyle>(settingsManager(), notificationCenter_);
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
