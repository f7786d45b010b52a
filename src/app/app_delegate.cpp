#include "app/app_delegate.h"

#include <cctype>
#include <string>

#include "app/main_menu.h"
#include "controls/hot_key_manager.h"
#include "controls/menu_bar_item.h"
#include "core/log.h"
#include "rules/system_ui_manager.h"
#include "services/update_manager.h"
#include "settings/notification_names.h"
#include "settings/settings_keys.h"

namespace quorvel::app {

namespace names = settings::notifications;

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

AppDelegate::AppDelegate(AppContext& context, ports::WindowServer& windowServer,
                         ports::ApplicationPresence& presence)
    : context_(context),
      windowServer_(windowServer),
      presence_(presence),
      scheduler_(context.ports().scheduler),
      lifetime_(std::make_shared<AppDelegate*>(this)) {
    // The order of first access is the order of creation.
    createStatusItem();
    const DesktopPorts& ports = context.ports();
    if (ports.globalHotkeys) context_.hotKeyManager();
    if (ports.scripts) context_.systemUIManager();
    if (ports.updateDriver) {
        // The manager applies the user's stored schedule choice, which the log then reports.
        context_.updateManager();
        services::logUpdaterConfiguration(*ports.updateDriver);
    }
    registerWindowObservers();
}

AppDelegate::~AppDelegate() {
    if (observingSession_) context_.ports().sessionEvents->removeObserver(*this);
}

void AppDelegate::createStatusItem() {
    // The tray item reads the stored switch when it is made and starts focus
    // at once when it was on. A desktop without a tray (the behaviour tests of
    // tracking alone) still gets focus back as it was stored.
    if (context_.ports().statusItem) {
        context_.menuBarItem();
    } else if (context_.settingsManager().defaults().boolForKey(settings::keys::isOverlayEnabled)) {
        context_.overlayController().startMonitoring();
    }
}

bool AppDelegate::isDetecting() {
    if (context_.hasMenuBarItem()) return context_.menuBarItem().isDetecting();
    return context_.settingsManager().defaults().boolForKey(settings::keys::isOverlayEnabled);
}

void AppDelegate::registerWindowObservers() {
    auto& center = context_.notificationCenter();
    windowWillOpen_ =
        core::Observation(center, names::windowWillOpen,
                          [this](const core::Notification&) { handleWindowWillOpen(); });
    windowDidOpen_ = core::Observation(center, names::windowDidOpen, [](const core::Notification&) {
        core::log("🪟 Window did open");
    });
    windowWillClose_ =
        core::Observation(center, names::windowWillClose,
                          [](const core::Notification&) { core::log("🪟 Window will close"); });
    windowDidClose_ =
        core::Observation(center, names::windowDidClose,
                          [this](const core::Notification&) { handleWindowDidClose(); });
}

void AppDelegate::applicationDidFinishLaunching() {
    std::weak_ptr<AppDelegate*> weak = lifetime_;
    scheduler_.async([weak] {
        if (auto self = weak.lock()) (*self)->runLaunchTask();
    });
    for (const double delay : kMenuSetupDelays) {
        scheduler_.dispatchAfter(delay, [weak] {
            if (auto self = weak.lock()) {
                (*self)->setupMainMenu();
                (*self)->removeStandardMenus();
            }
        });
    }
}

void AppDelegate::runLaunchTask() {
    setupActivationPolicy(true);
    core::log("🔄 Initializing update checks on the appcast feed...");
    setupMainMenu();
    std::weak_ptr<AppDelegate*> weak = lifetime_;
    menuCheck_ = scheduler_.repeating(kMenuCheckInterval, core::TimerMode::Common, [weak] {
        if (auto self = weak.lock()) (*self)->checkMenuStructure();
    });
    attemptConnection(1);
}

void AppDelegate::attemptConnection(int attempt) {
    if (terminated_) return;
    const std::uint32_t connection = windowServer_.mainConnectionID();
    if (connection != 0) {
        continueLaunch(connection);
        return;
    }
    // Wait between attempts on the main queue instead of blocking it; the
    // failure is reported after the wait that follows the last attempt.
    connectionRetry_ =
        scheduler_.after(kConnectionRetryDelay, core::TimerMode::Common, [this, attempt] {
            if (attempt < kConnectionAttempts) {
                attemptConnection(attempt + 1);
            } else {
                core::log("⚠️ The X server did not answer after retries");
            }
        });
}

void AppDelegate::continueLaunch(std::uint32_t connection) {
    const bool separateSpaces = windowServer_.managedDisplaySpaceCount(connection) > 1;
    core::log(std::string("🖥️ Monitors have separate workspaces: ") +
              (separateSpaces ? "ON" : "OFF"));
    applyStoredSettings();
    if (auto* session = context_.ports().sessionEvents) {
        session->addObserver(*this);
        observingSession_ = true;
    }
    didBecomeActive_ =
        core::Observation(context_.notificationCenter(), names::applicationDidBecomeActive,
                          [this](const core::Notification&) { applicationDidBecomeActive(); });
    setupMainMenu();
    launchComplete_ = true;
}

void AppDelegate::applyStoredSettings() {
    auto& settings = context_.settingsManager();
    auto& style = context_.overlayStyle();
    style.setFocusMode(settings.focusMode());
    if (context_.hasMenuBarItem()) context_.menuBarItem().updateModeItems(settings.focusMode());
    style.setGrainIntensity(settings.defaults().doubleForKey(settings::keys::grainIntensity));
    context_.overlayController().setSingleMode(
        settings.defaults().boolForKey(settings::keys::isSingleMode));
}

void AppDelegate::applicationWillTerminate() {
    if (terminated_) return;
    terminated_ = true;
    windowWillOpen_.reset();
    windowDidOpen_.reset();
    windowWillClose_.reset();
    windowDidClose_.reset();
    didBecomeActive_.reset();
    connectionRetry_.cancel();
    menuCheck_.cancel();
    if (observingSession_) {
        context_.ports().sessionEvents->removeObserver(*this);
        observingSession_ = false;
    }
    context_.overlayController().stopMonitoring();
    restoreSystemSettings();
}

void AppDelegate::restoreSystemSettings() {
    if (context_.hasSystemUIManager()) context_.systemUIManager().restoreSystemSettings();
}

void AppDelegate::screenLocked() {
    isScreenLocked_ = true;
    // Focus itself stays on: it comes back with the unlock.
    if (isDetecting()) context_.overlayController().stopMonitoring();
}

void AppDelegate::screenUnlocked() {
    if (!isScreenLocked_) return;
    isScreenLocked_ = false;
    restartFocusLater(false);
}

void AppDelegate::didWake() {
    if (isHandlingWake_) return;
    isHandlingWake_ = true;
    if (isScreenLocked_) {
        isHandlingWake_ = false;  // the unlock brings the veil back
        return;
    }
    if (isDetecting()) context_.overlayController().stopMonitoring();
    restartFocusLater(true);
}

void AppDelegate::restartFocusLater(bool endsWake) {
    std::weak_ptr<AppDelegate*> weak = lifetime_;
    scheduler_.dispatchAfter(kRestartDelay, [weak, endsWake] {
        auto self = weak.lock();
        if (!self) return;
        AppDelegate& delegate = **self;
        if (!delegate.terminated_ && delegate.isDetecting()) {
            auto& controller = delegate.context_.overlayController();
            controller.startMonitoring();
            controller.handleDisplayChange();
        }
        if (endsWake) delegate.isHandlingWake_ = false;
    });
}

void AppDelegate::setupActivationPolicy(bool asUIElement) {
    presence_.setActivationPolicy(asUIElement ? ports::ActivationPolicy::Accessory
                                              : ports::ActivationPolicy::Regular);
    core::log(std::string("🔧 Process set up without a taskbar entry: ") +
              (asUIElement ? "true" : "false"));
    core::log(std::string("🔧 Taskbar entry: ") +
              (presence_.activationPolicy() == ports::ActivationPolicy::Accessory ? "hidden"
                                                                                     : "shown"));
}

void AppDelegate::handleWindowWillOpen() {
    core::log("🪟 Window will open");
    hasVisibleWindows_ = true;
    updateDockIconVisibility();
}

void AppDelegate::handleWindowDidClose() {
    core::log("🪟 Window did close");
    // The settings window is the only window of ours; its controller hands
    // the focus back to the window that had it before, in the same close.
    const auto& visible = context_.applicationHooks().isSettingsWindowVisible;
    hasVisibleWindows_ = visible ? visible() : false;
    updateDockIconVisibility();
}

void AppDelegate::updateDockIconVisibility() {
    if (hasVisibleWindows_) {
        core::log("🪟 Showing the taskbar entry");
        presence_.setActivationPolicy(ports::ActivationPolicy::Regular);
    } else {
        core::log("🪟 Hiding the taskbar entry");
        presence_.setActivationPolicy(ports::ActivationPolicy::Accessory);
    }
}

}  // namespace quorvel::app

namespace quorvel::app {

void AppDelegate::applicationDidBecomeActive() {
    setupMainMenu();
    removeStandardMenus();
}

void AppDelegate::setupMainMenu() {
    app::setupMainMenu(context_.ports().mainMenu);
}

void AppDelegate::removeStandardMenus() {
    app::removeStandardMenus(context_.ports().mainMenu);
}

void AppDelegate::checkMenuStructure() {
    app::checkMenuStructure(context_.ports().mainMenu);
}

void AppDelegate::contactSupport() {
    openLink(kSupportMailLink, "📧 Opening email client with support address");
}

void AppDelegate::openLearnMorePage() {
    openLink(kProductPage, "🌐 Opening Quorvel product page");
}

void AppDelegate::openLink(const std::string& url, const char* message) {
    ports::UrlOpener* opener = context_.ports().urlOpener;
    if (!opener || !isWellFormedUrl(url)) return;
    opener->openURL(url);
    core::log(message);
}

bool AppDelegate::performMenuAction(const std::string& action) {
    namespace act = main_menu_action;
    ApplicationHooks& hooks = context_.applicationHooks();
    if (action == act::showAbout) {
        if (hooks.showSettingsTab) hooks.showSettingsTab("more");
    } else if (action == act::checkForUpdates) {
        if (context_.ports().updateDriver && !context_.updateManager().isCheckingForUpdates())
            context_.updateManager().checkForUpdates();
    } else if (action == act::showSettingsWindow) {
        if (hooks.openSettings) hooks.openSettings();
    } else if (action == act::terminate) {
        if (hooks.quit) hooks.quit();
    } else if (action == act::contactSupport) {
        contactSupport();
    } else if (action == act::openLearnMorePage) {
        openLearnMorePage();
    } else {
        return false;
    }
    return true;
}

}  // namespace quorvel::app
