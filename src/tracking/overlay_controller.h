#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "core/notification_center.h"
#include "core/scheduler.h"
#include "look/overlay_style.h"
#include "look/overlay_transition_manager.h"
#include "ports/overlay_windows.h"
#include "ports/overview.h"
#include "ports/screens.h"
#include "ports/window_list.h"
#include "ports/workspace.h"
#include "rules/excluded_apps_manager.h"
#include "settings/settings_manager.h"
#include "tracking/window_info.h"
#include "tracking/window_poller.h"

namespace quorvel::tracking {

/// The desktop facilities the controller works through.
struct OverlayControllerPorts {
    core::Scheduler& scheduler;
    ports::Screens& screens;
    ports::Workspace& workspace;
    ports::WindowList& windowList;
    ports::Overview& overview;
    ports::OverlayWindowFactory& overlayWindows;
};

/// Owns one overlay window per monitor and keeps each directly below the
/// monitor's focused window; steps aside for excluded applications, workspace
/// switches, monitor changes and the window overview.
class OverlayController final : public WindowPollerDelegate {
public:
    static constexpr double kMissionControlInterval = 0.1;
    static constexpr double kDisplayChangeDebounce = 0.3;
    /// Points above a monitor's top edge that still count as on it (single mode).
    static constexpr double kPointerTopAllowance = 8.0;

    /// Starts the overview check, which runs for the controller's whole life.
    OverlayController(OverlayControllerPorts ports, WindowPoller& poller,
                      settings::SettingsManager& settings, core::NotificationCenter& center,
                      look::OverlayStyle& style, rules::ExcludedAppsManager& excludedApps,
                      const rules::FocusHooks& hooks);
    ~OverlayController() override;
    OverlayController(const OverlayController&) = delete;
    OverlayController& operator=(const OverlayController&) = delete;

    void startMonitoring();
    /// Fades every overlay out and stops the poller.
    void stopMonitoring();
    bool isMonitoring() const { return isMonitoring_; }

    void didUpdateWindows(const std::vector<WindowInfo>& windows) override;
    void beginScreenTransition(const ports::ScreenInfo& screen) override;
    void endScreenTransition(const ports::ScreenInfo& screen) override;

    /// `windows` null: no list, so no monitor has a qualifying window.
    void updateOverlays(const std::vector<WindowInfo>* windows);
    void updateOverlay(const ports::ScreenInfo& screen, const std::vector<WindowInfo>* windows);
    void removeOverlay(ScreenIdentity identity);
    void setSingleMode(bool enabled);
    bool isInSingleMode() const { return isInSingleMode_; }

    /// One overview check (the body of the 0.1 s timer).
    void checkMissionControl();
    /// Compares the monitors with the known ones; true when anything changed.
    bool checkDisplayConfiguration();
    /// Removes every overlay and rebuilds 0.3 s after the last call.
    void handleDisplayChange();

    /// The windows of `windows` on `screen`, in list order (top-left window
    /// frames flipped against `primaryHeight`).
    static std::vector<WindowInfo> windowsOn(const ports::ScreenInfo& screen,
                                             const std::vector<WindowInfo>& windows,
                                             double primaryHeight);
    /// A fullscreen window that covers the whole of `screen`.
    static bool fillsScreen(const WindowInfo& window, const ports::ScreenInfo& screen,
                            double primaryHeight);
    /// Single mode: the monitor under the pointer, else the main one.
    std::optional<ports::ScreenInfo> activeScreen() const;

    // State, for the views and for tests.
    const std::map<ScreenIdentity, std::shared_ptr<ports::OverlayWindow>>& overlayWindows()
        const {
        return overlayWindows_;
    }
    const std::set<ScreenIdentity>& transitioningScreens() const { return transitioningScreens_; }
    const std::optional<ports::ScreenInfo>& activeTransitionScreen() const {
        return activeTransitionScreen_;
    }
    bool isMissionControlActive() const { return isMissionControlActive_; }
    bool isHandlingDisplayChange() const { return isHandlingDisplayChange_; }
    const std::set<std::uint32_t>& knownDisplayIDs() const { return knownDisplayIDs_; }
    std::optional<bool> lastKnownExclusionState() const { return lastKnownExclusionState_; }

private:
    void removeAllOverlays();
    void createOverlay(const ports::ScreenInfo& screen, ScreenIdentity identity);
    void placeOverlay(ports::OverlayWindow& window, const ports::ScreenInfo& screen,
                      const std::vector<WindowInfo>& onScreen);
    bool overviewShowing() const;
    ScreenIdentity identityOf(const ports::ScreenInfo& screen) const;

    std::map<ScreenIdentity, std::shared_ptr<ports::OverlayWindow>> overlayWindows_;
    bool isInSingleMode_;
    bool isMonitoring_ = false;
    std::set<ScreenIdentity> transitioningScreens_;
    std::optional<ports::ScreenInfo> activeTransitionScreen_;
    core::Timer missionControlTimer_;
    bool isMissionControlActive_ = false;
    std::set<std::uint32_t> knownDisplayIDs_;
    core::Timer displayChangeTimer_;
    std::map<std::uint32_t, core::Rect> lastKnownScreenFrames_;
    bool isHandlingDisplayChange_ = false;
    std::optional<bool> lastKnownExclusionState_;

    OverlayControllerPorts ports_;
    WindowPoller& poller_;
    settings::SettingsManager& settings_;
    core::NotificationCenter& center_;
    look::OverlayTransitionManager transitions_;
    rules::ExcludedAppsManager& excludedApps_;
    const rules::FocusHooks& hooks_;
};

}  // namespace quorvel::tracking
