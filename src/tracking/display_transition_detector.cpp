#include "tracking/display_transition_detector.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "tracking/window_poller.h"

namespace quorvel::tracking {

namespace {

using ports::RawWindow;

bool isCandidate(const RawWindow& w, const core::Rect& screenFrame) {
    if (!w.bounds) return false;
    return std::abs(w.bounds->width - screenFrame.width) <
               DisplayTransitionDetector::kSizeTolerance &&
           std::abs(w.bounds->height - screenFrame.height) <
               DisplayTransitionDetector::kSizeTolerance;
}

std::string ownerOf(const RawWindow& w) {
    return w.ownerName.value_or("");
}
std::int32_t layerOf(const RawWindow& w) {
    return w.layer.value_or(0);
}

}  // namespace

bool DisplayTransitionDetector::comesBefore(const RawWindow& a, const RawWindow& b) {
    const std::string ownerA = ownerOf(a), ownerB = ownerOf(b);
    const std::int32_t layerA = layerOf(a), layerB = layerOf(b);
    const bool wallA = ownerA == "Wallpaper", wallB = ownerB == "Wallpaper";
    if (wallA != wallB) return wallA;
    const bool negA = layerA < 0, negB = layerB < 0;
    if (negA != negB) return negA;
    const bool dockA = ownerA == "Dock" && negA, dockB = ownerB == "Dock" && negB;
    if (dockA != dockB) return dockA;
    const bool serverA = ownerA == "Window Server" && negA;
    const bool serverB = ownerB == "Window Server" && negB;
    if (serverA != serverB) return serverA;
    return layerA < layerB;
}

void DisplayTransitionDetector::detect(const std::vector<RawWindow>& raw,
                                       const std::vector<ports::ScreenInfo>& screens,
                                       std::map<std::uint32_t, DisplayState>& states,
                                       WindowPollerDelegate* delegate) {
    core::IntDictionary tracked =
        store_.dictionaryForKey(kTrackedWindowIdsKey).value_or(core::IntDictionary{});
    for (const auto& screen : screens) {
        const std::uint32_t id = screen.displayID.value_or(0);
        DisplayState& state = states[id];  // a monitor seen first gets a fresh record
        if (const RawWindow* wallpaper = wallpaperFor(raw, screen, id, tracked)) {
            wallpaperFound(*wallpaper, screen, id, state, tracked, delegate);
        } else {
            wallpaperMissing(screen, id, state, tracked, delegate);
        }
    }
}

const RawWindow* DisplayTransitionDetector::wallpaperFor(const std::vector<RawWindow>& raw,
                                                         const ports::ScreenInfo& screen,
                                                         std::uint32_t id,
                                                         const core::IntDictionary& tracked) const {
    std::vector<const RawWindow*> candidates;
    for (const auto& w : raw) {
        if (isCandidate(w, screen.frame)) candidates.push_back(&w);
    }
    if (candidates.empty()) return nullptr;
    if (auto it = tracked.find(std::to_string(id)); it != tracked.end()) {
        for (const RawWindow* w : candidates) {
            if (w->windowNumber && *w->windowNumber == it->second) return w;
        }
    }
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const RawWindow* a, const RawWindow* b) { return comesBefore(*a, *b); });
    return candidates.front();
}

void DisplayTransitionDetector::wallpaperFound(const RawWindow& wallpaper,
                                               const ports::ScreenInfo& screen, std::uint32_t id,
                                               DisplayState& state, core::IntDictionary& tracked,
                                               WindowPollerDelegate* delegate) {
    state.wallpaperDisappearTime.reset();
    if (!wallpaper.ownerName || !wallpaper.layer || !wallpaper.windowNumber || !wallpaper.bounds) {
        return;
    }
    tracked[std::to_string(id)] = *wallpaper.windowNumber;
    store_.set(kTrackedWindowIdsKey, tracked);

    const core::Rect frame = *wallpaper.bounds;
    if (state.lastFrame) {
        const bool moved = std::abs(frame.x - state.lastFrame->x) > kMovementThreshold ||
                           std::abs(frame.y - state.lastFrame->y) > kMovementThreshold;
        if (moved) {
            state.stableFrameCount = 0;
            if (!state.isTransitioning) {
                state.isTransitioning = true;
                if (delegate) delegate->beginScreenTransition(screen);
            }
        } else {
            ++state.stableFrameCount;
            if (state.stableFrameCount >= kStableSamplesNeeded && state.isTransitioning) {
                state.isTransitioning = false;
                if (delegate) delegate->endScreenTransition(screen);
                state.stableFrameCount = 0;
            }
        }
    }
    state.lastFrame = frame;
}

void DisplayTransitionDetector::wallpaperMissing(const ports::ScreenInfo& screen,
                                                 std::uint32_t id, DisplayState& state,
                                                 core::IntDictionary& tracked,
                                                 WindowPollerDelegate* delegate) {
    if (!state.lastFrame) return;
    const double now = clock_.now();
    if (!state.wallpaperDisappearTime) state.wallpaperDisappearTime = now;
    // The tolerance keeps ticks of a tenth of a second from landing a hair short.
    if (now - *state.wallpaperDisappearTime < kWallpaperAbsenceLimit - 1e-6) return;
    if (state.isTransitioning) {
        state.isTransitioning = false;
        if (delegate) delegate->endScreenTransition(screen);
    }
    state.lastFrame.reset();
    state.wallpaperDisappearTime.reset();
    state.stableFrameCount = 0;
    tracked.erase(std::to_string(id));
    store_.set(kTrackedWindowIdsKey, tracked);
}

}  // namespace quorvel::tracking
