#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "app/app_context.h"
#include "core/notification_center.h"
#include "core/scheduler.h"
#include "ports/activation_policy.h"
#include "ports/session_events.h"
#include "ports/window_server.h"

namespace quorvel::app {

/// The application's delegate: the order in which the long-lived objects come
/// into being, the launch sequence, and what happens when the program quits.
/// It owns no behaviour of its own; it starts the subsystems and hands them
/// the stored settings.
class AppDelegate final : private ports::SessionEvents {
public:
    static constexpr int kConnectionAttempts = 3;
    static constexpr double kConnectionRetryDelay = 0.1;
    /// After an unlock or a wake, focus comes back this much later.
    static constexpr double kRestartDelay = 0.3;
    /// The main menu is put back in shape this long after launch, and checked
    /// at this interval.
    static constexpr double kMenuSetupDelays[2] = {0.5, 3.0};
    static constexpr double kMenuCheckInterval = 2.0;
    static constexpr const char* kSupportMailLink =
        "mailto:support@quorvel.app?subject=Quorvel%20Feedback";
    static constexpr const char* kProductPage = "https://quorvel.app";

    /// Creates the subsystems in their order (starting focus at once when it
    /// was on at the last quit) and registers the window observers.
    AppDelegate(AppContext& context, ports::WindowServer& windowServer,
                ports::ApplicationPresence& presence);
    ~AppDelegate() override;
    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;

    /// Queues the launch task and returns at once; the task runs on the next
    /// turn of the main queue and waits for the window server between attempts.
    void applicationDidFinishLaunching();
    /// Removes the observers and stops focus: the overlays fade out over the
    /// style's transition duration, which the caller lets finish.
    void applicationWillTerminate();

    /// Accessory (no taskbar entry) when `asUIElement`, regular otherwise.
    void setupActivationPolicy(bool asUIElement);

    /// The application came to the front: puts the main menu back in shape.
    void applicationDidBecomeActive();
    /// Installs or repositions the "•••" menu (see main_menu.h).
    void setupMainMenu();
    void removeStandardMenus();
    void checkMenuStructure();
    /// "Send Feedback": a mail to the support address.
    void contactSupport();
    /// "Learn More": the product page in the browser.
    void openLearnMorePage();
    /// Runs a main-menu command; false for the editing commands, which go to
    /// whichever control has the keyboard focus.
    bool performMenuAction(const std::string& action);

    /// One of the application's own windows (the settings window) is open.
    bool hasVisibleWindows() const { return hasVisibleWindows_; }
    /// The launch task got through to applying the stored settings.
    bool isLaunchComplete() const { return launchComplete_; }
    bool isScreenLocked() const { return isScreenLocked_; }
    bool isHandlingWake() const { return isHandlingWake_; }

    // The session's lock, unlock and wake (also called by tests).
    void screenLocked() override;
    void screenUnlocked() override;
    void didWake() override;

private:
    void createStatusItem();
    void registerWindowObservers();
    void runLaunchTask();
    void attemptConnection(int attempt);
    void continueLaunch(std::uint32_t connection);
    void applyStoredSettings();
    void restoreSystemSettings();
    void handleWindowWillOpen();
    void handleWindowDidClose();
    void updateDockIconVisibility();
    bool isDetecting();
    void restartFocusLater(bool endsWake);
    void openLink(const std::string& url, const char* message);

    AppContext& context_;
    ports::WindowServer& windowServer_;
    ports::ApplicationPresence& presence_;
    core::Scheduler& scheduler_;

    bool hasVisibleWindows_ = false;
    bool launchComplete_ = false;
    bool terminated_ = false;
    bool isHandlingWake_ = false;
    bool isScreenLocked_ = false;
    bool observingSession_ = false;

    core::Observation windowWillOpen_;
    core::Observation windowDidOpen_;
    core::Observation windowWillClose_;
    core::Observation windowDidClose_;
    core::Observation didBecomeActive_;
    core::Timer menuCheck_;
    core::Timer connectionRetry_;
    /// Queued work holds this weakly and does nothing once the delegate is gone.
    std::shared_ptr<AppDelegate*> lifetime_;
};

}  // namespace quorvel::app
