#include "app/application.h"

#include <cctype>

#include "app/app_menus.h"
#include "core/log.h"

namespace quorvel::app {

namespace {

/// A scheme, a colon and something after it, with no blanks or controls.
bool isWellFormedUrl(const std::string& url) {
    const auto colon = url.find(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 == url.size()) return false;
    if (!std::isalpha(static_cast<unsigned char>(url[0]))) return false;
    for (std::size_t i = 1; i < colon; ++i) {
        const auto c = static_cast<unsigned char>(url[i]);
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') return false;
    }
    for (const char ch : url) {
        const auto c = static_cast<unsigned char>(ch);
        if (c <= ' ' || c == 0x7f) return false;
    }
    return true;
}

}  // namespace

Application::Application(DesktopPorts ports, std::filesystem::path configDir)
    : ports_(ports),
      configDir_(std::move(configDir)),
      settingsStore_(makeStore(kSettingsFileName)),
      standardStore_(makeStore(kStandardFileName)),
      settings_(*settingsStore_),
      excludedApps_(settings_, ports_.appCatalog),
      session_(settings_),
      front_(ports_.desktop, excludedApps_),
      veils_({ports_.scheduler, ports_.desktop, ports_.veils}, settings_, front_) {
    // An old record of the window tracking that nothing reads any more.
    standardStore_->remove("tracked_window_ids");
    if (ports_.scripts) {
        panels_ = std::make_unique<rules::PanelAutoHide>(
            settings_, session_, front_, ports_.scheduler, *ports_.scripts, ports_.panelScripts,
            *standardStore_, ports_.topBar);
    }
    if (ports_.tray) {
        controls::TrayHooks trayHooks{[this] {
                                          if (hooks_.showSettings)
                                              hooks_.showSettings("appearance");
                                      },
                                      [this] { perform(menu_action::checkForUpdates); },
                                      [this] {
                                          if (hooks_.quit) hooks_.quit();
                                      }};
        trayIcon_ = std::make_unique<controls::TrayIcon>(session_, front_, excludedApps_,
                                                         ports_.scheduler, *ports_.tray,
                                                         ports_.appCatalog, std::move(trayHooks));
        if (ports_.hintWindow) {
            trayHint_ = std::make_unique<controls::TrayHint>(*ports_.hintWindow, *ports_.tray,
                                                             ports_.desktop);
        }
    }
    if (ports_.shortcuts) {
        shortcuts_ = std::make_unique<controls::Shortcuts>(
            settings_, session_, front_, ports_.scheduler, *ports_.shortcuts, ports_.keyboardLayout,
            ports_.userNotifications);
    }
    if (ports_.updateDriver && ports_.userNotifications && ports_.launcherBadge &&
        ports_.presence && ports_.wallClock) {
        updates_ = std::make_unique<services::UpdateManager>(
            services::UpdatePorts{*ports_.updateDriver, *ports_.userNotifications,
                                  *ports_.launcherBadge, *ports_.presence, *ports_.wallClock},
            *standardStore_, ports_.scheduler);
        services::logUpdaterConfiguration(*ports_.updateDriver);
    }
    if (ports_.autostart) autostart_ = std::make_unique<services::Autostart>(*ports_.autostart);
    if (ports_.presence) {
        // A tray application: a taskbar entry only while the settings window shows.
        ports_.presence->setActivationPolicy(ports::ActivationPolicy::Accessory);
    }
    if (ports_.sessionEvents) ports_.sessionEvents->addObserver(*this);
    followFocus();
}

Application::~Application() {
    if (ports_.sessionEvents) ports_.sessionEvents->removeObserver(*this);
    focusWatch_.reset();
}

std::unique_ptr<core::PreferenceStore> Application::makeStore(const char* fileName) {
    if (configDir_.empty()) return std::make_unique<core::PreferenceStore>(ports_.scheduler);
    return std::make_unique<core::PreferenceStore>(configDir_ / fileName, ports_.scheduler);
}

void Application::followFocus() {
    const auto apply = [this] {
        if (quit_ || locked_ || handlingWake_) return;
        if (session_.isOn()) {
            veils_.start();
        } else {
            veils_.stop();
        }
    };
    focusWatch_ = session_.changed().connect(apply);
    apply();
}

void Application::quit() {
    if (quit_) return;
    quit_ = true;
    restart_.cancel();
    if (ports_.sessionEvents) ports_.sessionEvents->removeObserver(*this);
    veils_.stop();
    if (panels_) panels_->restoreSystemSettings();
}

void Application::screenLocked() {
    locked_ = true;
    // Focus itself stays on: it comes back with the unlock.
    veils_.stop();
}

void Application::screenUnlocked() {
    // Sources may repeat themselves: an unlock that follows no lock is ignored.
    if (!locked_) return;
    locked_ = false;
    restartLater(false);
}

void Application::didWake() {
    if (handlingWake_ || locked_) return;  // a locked screen: the unlock brings the veils back
    handlingWake_ = true;
    veils_.stop();
    restartLater(true);
}

void Application::restartLater(bool endsWake) {
    restart_ = ports_.scheduler.after(kRestartDelay, core::TimerMode::Default, [this, endsWake] {
        if (endsWake) handlingWake_ = false;
        if (!quit_ && !locked_ && session_.isOn()) veils_.start();
    });
}

void Application::showHint() {
    if (!trayHint_) return;
    const auto caps = [this](std::optional<settings::KeyCombo> combo) {
        return combo ? combo->keyCaps(ports_.keyboardLayout) : std::vector<std::string>{};
    };
    ports_.hintWindow->setShortcutKeys(caps(settings_.toggleShortcut.get()),
                                       caps(settings_.modeShortcut.get()));
    trayHint_->show();
}

void Application::openLink(const std::string& url, const char* message) {
    if (!ports_.urlOpener || !isWellFormedUrl(url)) return;
    ports_.urlOpener->openURL(url);
    core::log(message);
}

bool Application::perform(const std::string& action) {
    namespace a = menu_action;
    if (action == a::about) {
        if (hooks_.showSettings) hooks_.showSettings("more");
    } else if (action == a::checkForUpdates) {
        if (updates_ && !updates_->isCheckingForUpdates()) updates_->checkForUpdates();
    } else if (action == a::settings) {
        if (hooks_.showSettings) hooks_.showSettings("appearance");
    } else if (action == a::quit) {
        if (hooks_.quit) hooks_.quit();
    } else if (action == a::sendFeedback) {
        openLink(kFeedbackLink, "📧 Opening the mail program with the support address");
    } else if (action == a::learnMore) {
        openLink(kProductPage, "🌐 Opening Quorvel's product page");
    } else {
        return false;
    }
    return true;
}

}  // namespace quorvel::app
