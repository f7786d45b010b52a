#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "core/preference_store.h"
#include "core/scheduler.h"
#include "platform/screens.h"
#include "platform/window_list.h"
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
    void detect(const std::vector<platform::RawWindow>& raw,
                const std::vector<platform::ScreenInfo>& screens,
                std::map<std::uint32_t, DisplayState>& states, WindowPollerDelegate* delegate);

    /// Whether `a` is the likelier wallpaper of the two.
    static bool comesBefore(const platform::RawWindow& a, const platform::RawWindow& b);

private:
    const platform::RawWindow* wallpaperFor(const std::vector<platform::RawWindow>& raw,
                                            const platform::ScreenInfo& screen, std::uint32_t id,
                                            const core::IntDictionary& tracked) const;
    void wallpaperFound(const platform::RawWindow& wallpaper, const platform::ScreenInfo& screen,
                        std::uint32_t id, DisplayState& state, core::IntDictionary& tracked,
                        WindowPollerDelegate* delegate);
    void wallpaperMissing(const platform::ScreenInfo& screen, std::uint32_t id, DisplayState& state,
                          core::IntDictionary& tracked, WindowPollerDelegate* delegate);

    core::PreferenceStore& store_;
    const core::Scheduler& clock_;
};

}  // namespace quorvel::tracking
