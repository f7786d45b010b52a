// Monitor changes, workspace switches and the window overview.
#include <set>

#include "core/log.h"
#include "tracking/overlay_controller.h"

namespace quorvel::tracking {

namespace {

constexpr const char* kDockOwner = "Dock";
constexpr std::int32_t kOverviewLayer = 20;
constexpr std::int32_t kOverviewBackdropLayer = 18;

}  // namespace

void OverlayController::beginScreenTransition(const ports::ScreenInfo& screen) {
    const ScreenIdentity identity = identityOf(screen);
    transitioningScreens_.insert(identity);
    activeTransitionScreen_ = screen;
    removeOverlay(identity);
}

void OverlayController::endScreenTransition(const ports::ScreenInfo& screen) {
    transitioningScreens_.erase(identityOf(screen));
    activeTransitionScreen_.reset();
}

bool OverlayController::overviewShowing() const {
    if (auto signal = ports_.overview.isShowing()) return *signal;
    // Without a signal of the desktop's own, the dock's overview windows tell.
    int layer20 = 0;
    int layer18 = 0;
    const auto list =
        ports_.windowList.onScreenWindows(ports::WindowListOption::OnScreenOnlyExcludingDesktop);
    for (const auto& w : list) {
        if (w.ownerName != kDockOwner || !w.layer) continue;
        if (*w.layer == kOverviewLayer) ++layer20;
        if (*w.layer == kOverviewBackdropLayer) ++layer18;
    }
    if (ports_.screens.screens().size() <= 1) return layer18 == 1 && layer20 >= 1;
    return layer18 >= 2 && layer20 >= 1;
}

void OverlayController::checkMissionControl() {
    const bool showing = overviewShowing();
    if (showing && !isMissionControlActive_) {
        isMissionControlActive_ = true;
        core::log("🚀 Mission Control activated");
        removeAllOverlays();
    } else if (!showing && isMissionControlActive_) {
        isMissionControlActive_ = false;
        core::log("🛬 Mission Control deactivated");
        // Creates nothing: the overlays return with the poller's next sample.
        updateOverlays(nullptr);
    }
}

bool OverlayController::checkDisplayConfiguration() {
    bool changed = false;
    std::set<std::uint32_t> current;
    for (const auto& screen : ports_.screens.screens()) {
        if (!screen.displayID) continue;
        const std::uint32_t id = *screen.displayID;
        current.insert(id);
        if (!knownDisplayIDs_.count(id)) {
            knownDisplayIDs_.insert(id);
            lastKnownScreenFrames_[id] = screen.frame;
            changed = true;
        } else if (auto it = lastKnownScreenFrames_.find(id);
                   it != lastKnownScreenFrames_.end() && it->second != screen.frame) {
            it->second = screen.frame;
            changed = true;
        }
    }
    for (auto it = knownDisplayIDs_.begin(); it != knownDisplayIDs_.end();) {
        if (current.count(*it)) {
            ++it;
            continue;
        }
        lastKnownScreenFrames_.erase(*it);
        it = knownDisplayIDs_.erase(it);
        changed = true;
    }
    return changed;
}

void OverlayController::handleDisplayChange() {
    isHandlingDisplayChange_ = true;
    removeAllOverlays();
    // Replacing the timer cancels the pending one: every change restarts the wait.
    displayChangeTimer_ =
        ports_.scheduler.after(kDisplayChangeDebounce, core::TimerMode::Default, [this] {
            transitioningScreens_.clear();
            activeTransitionScreen_.reset();
            overlayWindows_.clear();
            isHandlingDisplayChange_ = false;
            updateOverlays(nullptr);
        });
}

}  // namespace quorvel::tracking
