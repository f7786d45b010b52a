#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "core/preference_store.h"
#include "core/scheduler.h"
#include "ports/screens.h"
#include "ports/window_list.h"
#include "tracking/display_transition_detector.h"
#include "tracking/window_info.h"

namespace quorvel::tracking {

/// Receives every sample of the poller and the workspace-switch marks of the
/// transition detection. The overlay controller is the only implementation.
class WindowPollerDelegate {
public:
    virtual ~WindowPollerDelegate() = default;
    /// Every tick, changed or not: the candidate windows, front to back.
    virtual void didUpdateWindows(const std::vector<WindowInfo>& windows) = 0;
    /// The monitor's wallpaper started moving: its overlay must go.
    virtual void beginScreenTransition(const ports::ScreenInfo& screen) = 0;
    /// The monitor's wallpaper stood still again (or vanished for good).
    virtual void endScreenTransition(const ports::ScreenInfo& screen) = 0;
};

/// The owner name under which this application's own windows are listed.
inline constexpr std::string_view kApplicationOwnerName = "Quorvel";

/// Samples the on-screen window list ten times a second while focus is on and
/// hands the reduced list to its delegate. Where the window list reports its
/// changes, a change also brings a sample on the next turn of the main queue,
/// so the veil follows a switch at once instead of up to a tick later.
class WindowPoller {
public:
    static constexpr double kInterval = 0.1;
    /// The closest two change-driven samples come: a window manager that keeps
    /// answering our restacks with its own cannot spin the event loop.
    static constexpr double kMinimumChangeSpacing = 0.005;
    /// Owners whose windows are never the focused window (exact names).
    static constexpr std::array<std::string_view, 5> kExcludedOwners{
        "Dock", "Window Server", "SystemUIServer", "loginwindow", "WindowManager"};
    /// Titles under which our own windows take part like any other window.
    static constexpr std::array<std::string_view, 2> kOwnWindowTitles{"Quorvel Settings",
                                                                      "Software Update"};

    WindowPoller(core::Scheduler& scheduler, ports::WindowList& windowList,
                 ports::Screens& screens, core::PreferenceStore& standardStore);
    ~WindowPoller();
    WindowPoller(const WindowPoller&) = delete;
    WindowPoller& operator=(const WindowPoller&) = delete;

    /// Not owned; the delegate clears itself before it goes away.
    void setDelegate(WindowPollerDelegate* delegate) { delegate_ = delegate; }
    WindowPollerDelegate* delegate() const { return delegate_; }

    void startPolling();
    void stopPolling();
    bool isPolling() const { return isPolling_; }
    const std::map<std::uint32_t, DisplayState>& displayStates() const { return displayStates_; }

    /// One sample: transition detection, reduction, delivery.
    void pollWindowsTimer();

    /// Why a window is no candidate ("too small", "layer 20", "own window",
    /// "excluded owner", or a missing field); empty for a candidate.
    static std::string rejection(const ports::RawWindow& w);
    /// Reduces a raw list to candidate windows, keeping its order.
    static std::vector<WindowInfo> windowInfos(const std::vector<ports::RawWindow>& list);

private:
    void windowsMayHaveChanged();
    /// A sample between ticks: delivery only; transition detection keeps the
    /// tick's pace, as it counts still samples.
    void sampleAfterChange();
    std::vector<ports::RawWindow> sample();

    WindowPollerDelegate* delegate_ = nullptr;
    core::Timer pollingTimer_;
    core::Timer changeSample_;
    bool sampling_ = false;
    double lastSample_ = -1.0;
    bool isPolling_ = false;
    std::map<std::uint32_t, DisplayState> displayStates_;

    core::Scheduler& scheduler_;
    ports::WindowList& windowList_;
    ports::Screens& screens_;
    DisplayTransitionDetector detector_;
};

}  // namespace quorvel::tracking
