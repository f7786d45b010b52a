#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "core/preference_store.h"
#include "core/scheduler.h"
#include "ports/screens.h"
#include "ports/window_list.h"
#include "tracking/window_info.h"

namespace quorvel::tracking {

class WindowPollerDelegate;

/// Notices workspace switches per monitor by watching the monitor's wallpaper
/// window: while a switch animates the wallpaper moves, afterwards it stands still.
class DisplayTransitionDetector {
public:
    /// Standard-store key: monitor id (decimal text) to the wallpaper's window number.
    static constexpr const char* kTrackedWindowIdsKey = "tracked_window_ids";
    static constexpr double kSizeTolerance = 10.0;
    static constexpr double kMovementThreshold = 1.0;
    static constexpr int kStableSamplesNeeded = 3;
    static constexpr double kWallpaperAbsenceLimit = 0.5;

    DisplayTransitionDetector(core::PreferenceStore& standardStore, const core::Scheduler& clock)
        : store_(standardStore), clock_(clock) {}

    /// Runs over one sample's raw list; `delegate` may be null (records are
    /// updated all the same).
    void detect(const std::vector<ports::RawWindow>& raw,
                const std::vector<ports::ScreenInfo>& screens,
                std::map<std::uint32_t, DisplayState>& states, WindowPollerDelegate* delegate);

    /// Whether `a` is the likelier wallpaper of the two.
    static bool comesBefore(const ports::RawWindow& a, const ports::RawWindow& b);

private:
    const ports::RawWindow* wallpaperFor(const std::vector<ports::RawWindow>& raw,
                                            const ports::ScreenInfo& screen, std::uint32_t id,
                                            const core::IntDictionary& tracked) const;
    void wallpaperFound(const ports::RawWindow& wallpaper, const ports::ScreenInfo& screen,
                        std::uint32_t id, DisplayState& state, core::IntDictionary& tracked,
                        WindowPollerDelegate* delegate);
    void wallpaperMissing(const ports::ScreenInfo& screen, std::uint32_t id, DisplayState& state,
                          core::IntDictionary& tracked, WindowPollerDelegate* delegate);

    core::PreferenceStore& store_;
    const core::Scheduler& clock_;
};

}  // namespace quorvel::tracking
