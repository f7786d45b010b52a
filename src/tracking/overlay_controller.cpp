#include "tracking/overlay_controller.h"

#include <utility>

namespace quorvel::tracking {

using ports::WindowLevel;

OverlayController::OverlayController(OverlayControllerPorts ports, WindowPoller& poller,
                                     settings::SettingsManager& settings,
                                     core::NotificationCenter& center, look::OverlayStyle& style,
                                     rules::ExcludedAppsManager& excludedApps,
                                     const rules::FocusHooks& hooks)
    : isInSingleMode_(settings.defaults().boolForKey(settings::keys::isSingleMode)),
      ports_(ports),
      poller_(poller),
      settings_(settings),
      center_(center),
      transitions_(style),
      excludedApps_(excludedApps),
      hooks_(hooks) {
    for (const auto& screen : ports_.screens.screens()) {
        if (!screen.displayID) continue;
        knownDisplayIDs_.insert(*screen.displayID);
        lastKnownScreenFrames_[*screen.displayID] = screen.frame;
    }
    // Default mode: the check pauses while a menu is open.
    missionControlTimer_ = ports_.scheduler.repeating(
        kMissionControlInterval, core::TimerMode::Default, [this] { checkMissionControl(); });
}

OverlayController::~OverlayController() {
    if (poller_.delegate() == this) poller_.setDelegate(nullptr);
}

ScreenIdentity OverlayController::identityOf(const ports::ScreenInfo& screen) const {
    return ScreenIdentity::of(screen, ports_.screens.mainDisplayID());
}

void OverlayController::startMonitoring() {
    if (isMonitoring_) return;
    isMonitoring_ = true;
    poller_.setDelegate(this);
    poller_.startPolling();
}

void OverlayController::stopMonitoring() {
    if (!isMonitoring_) return;
    isMonitoring_ = false;
    poller_.stopPolling();
    removeAllOverlays();
    transitioningScreens_.clear();
    activeTransitionScreen_.reset();
}

void OverlayController::didUpdateWindows(const std::vector<WindowInfo>& windows) {
    const auto front = ports_.workspace.frontmostApplication();
    if (excludedApps_.isExcluded(front ? front->bundleId : std::nullopt)) {
        removeAllOverlays();
        if (lastKnownExclusionState_ == true) return;
        lastKnownExclusionState_ = true;
        hooks_.callUpdateAutoHide(false);
        return;
    }
    if (lastKnownExclusionState_ != false) {
        lastKnownExclusionState_ = false;
        if (isMonitoring_) hooks_.callUpdateAutoHide(true);
    }
    if (checkDisplayConfiguration()) {
        handleDisplayChange();
        return;
    }
    if (isHandlingDisplayChange_) return;
    if (transitioningScreens_.empty()) updateOverlays(&windows);
}

void OverlayController::updateOverlays(const std::vector<WindowInfo>* windows) {
    if (!ports_.screens.mainScreen() || isMissionControlActive_) return;
    const auto screens = ports_.screens.screens();
    std::set<ScreenIdentity> present;
    for (const auto& screen : screens) present.insert(identityOf(screen));
    std::vector<ScreenIdentity> gone;
    for (const auto& [identity, window] : overlayWindows_) {
        if (!present.count(identity)) gone.push_back(identity);
    }
    for (auto identity : gone) removeOverlay(identity);
    for (const auto& screen : screens) {
        if (!transitioningScreens_.count(identityOf(screen))) updateOverlay(screen, windows);
    }
}

void OverlayController::updateOverlay(const ports::ScreenInfo& screen,
                                      const std::vector<WindowInfo>* windows) {
    if (isMissionControlActive_) return;
    const ScreenIdentity identity = identityOf(screen);
    if (transitioningScreens_.count(identity)) return;
    const auto screens = ports_.screens.screens();
    const double primaryHeight = screens.empty() ? 0.0 : screens.front().frame.height;
    auto onScreen =
        windows ? windowsOn(screen, *windows, primaryHeight) : std::vector<WindowInfo>{};
    // Nobody sees a veil under a fullscreen window; unmapped, it costs the
    // compositor nothing and lets it unredirect the window.
    if (!onScreen.empty() && fillsScreen(onScreen.front(), screen, primaryHeight)) {
        onScreen.clear();
    }
    if (!overlayWindows_.count(identity) && !onScreen.empty()) createOverlay(screen, identity);
    if (auto it = overlayWindows_.find(identity); it != overlayWindows_.end()) {
        placeOverlay(*it->second, screen, onScreen);
    }
    if (onScreen.empty()) removeOverlay(identity);
}

void OverlayController::createOverlay(const ports::ScreenInfo& screen, ScreenIdentity identity) {
    auto window = ports_.overlayWindows.create(screen);
    window->setLevel(WindowLevel::Normal);
    window->setFrame(screen.frame);
    transitions_.fadeIn(*window);
    overlayWindows_[identity] = std::move(window);
}

void OverlayController::placeOverlay(ports::OverlayWindow& window,
                                     const ports::ScreenInfo& screen,
                                     const std::vector<WindowInfo>& onScreen) {
    window.setFrame(screen.frame);
    if (isInSingleMode_) {
        const auto active = activeScreen();
        if (active && *active == screen) {
            window.setLevel(WindowLevel::Normal);
            if (!onScreen.empty()) window.orderBelow(onScreen.front().windowNumber);
        } else {
            window.setLevel(WindowLevel::Covering);
            window.orderFront();
        }
        return;
    }
    window.setLevel(WindowLevel::Normal);
    if (onScreen.empty()) {
        window.orderFront();
    } else {
        window.orderBelow(onScreen.front().windowNumber);
    }
}

void OverlayController::removeOverlay(ScreenIdentity identity) {
    auto it = overlayWindows_.find(identity);
    if (it == overlayWindows_.end()) return;
    // Out of the table first: a window being faded out is never used again.
    std::shared_ptr<ports::OverlayWindow> window = std::move(it->second);
    overlayWindows_.erase(it);
    ports::OverlayWindow& fading = *window;
    transitions_.fadeOut(fading, [window] {
        window->orderOut();
        window->close();
    });
}

void OverlayController::removeAllOverlays() {
    std::vector<ScreenIdentity> all;
    for (const auto& [identity, window] : overlayWindows_) all.push_back(identity);
    for (auto identity : all) removeOverlay(identity);
}

std::vector<WindowInfo> OverlayController::windowsOn(const ports::ScreenInfo& screen,
                                                     const std::vector<WindowInfo>& windows,
                                                     double primaryHeight) {
    std::vector<WindowInfo> result;
    for (const auto& w : windows) {
        const core::Rect flipped{w.frame.x, primaryHeight - (w.frame.y + w.frame.height),
                                 w.frame.width, w.frame.height};
        if (flipped.intersects(screen.frame)) result.push_back(w);
    }
    return result;
}

bool OverlayController::fillsScreen(const WindowInfo& window, const ports::ScreenInfo& screen,
                                    double primaryHeight) {
    if (!window.fullscreen) return false;
    const core::Rect& f = window.frame;
    const core::Rect& s = screen.frame;
    const double bottom = primaryHeight - (f.y + f.height);
    return f.x <= s.x && bottom <= s.y && f.x + f.width >= s.x + s.width &&
           bottom + f.height >= s.y + s.height;
}

std::optional<ports::ScreenInfo> OverlayController::activeScreen() const {
    const core::Point p = ports_.screens.mouseLocation();
    for (const auto& screen : ports_.screens.screens()) {
        const core::Rect& f = screen.frame;
        if (p.x >= f.minX() && p.x < f.maxX() && p.y >= f.minY() &&
            p.y < f.maxY() + kPointerTopAllowance) {
            return screen;
        }
    }
    return ports_.screens.mainScreen();
}

void OverlayController::setSingleMode(bool enabled) {
    if (enabled == isInSingleMode_) return;
    isInSingleMode_ = enabled;
    settings_.setSingleMode(enabled);
    center_.post(settings::notifications::displayModeDidChange);
    const auto main = ports_.screens.mainScreen();
    const auto windows = overlayWindows_;  // the posts above may run arbitrary observers
    for (const auto& [identity, window] : windows) {
        if (transitioningScreens_.count(identity)) continue;
        if (!enabled || (main && identity == identityOf(*main))) {
            window->setLevel(WindowLevel::Normal);
        } else {
            window->setLevel(WindowLevel::Covering);
            window->orderFront();
        }
    }
}

}  // namespace quorvel::tracking
