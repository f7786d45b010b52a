#pragma once

#include <map>
#include <memory>
#include <optional>

#include "core/scheduler.h"
#include "focus/front_application.h"
#include "look/veil_fades.h"
#include "ports/desktop.h"
#include "ports/veil_windows.h"
#include "settings/settings.h"

namespace quorvel::tracking {

/// The desktop facilities the controller works through.
struct VeilControllerPorts {
    core::Scheduler& scheduler;
    ports::Desktop& desktop;
    ports::VeilWindows& veils;
};

/// While running, keeps one veil per monitor directly below the monitor's
/// front window, from what the desktop reports: at once after the desktop says
/// something changed, and ten times a second besides. Steps aside while the
/// application in front is excluded, while a workspace switch animates, while
/// the overview shows and for a moment after the monitors change.
class VeilController {
public:
    static constexpr double kInterval = 0.1;
    /// The closest two updates a burst of changes may bring: a window manager
    /// that answers each restack with one of its own cannot spin the loop.
    static constexpr double kMinimumChangeSpacing = 0.005;
    /// After the last change of the monitors, the veils come back this much later.
    static constexpr double kMonitorSettle = 0.3;

    VeilController(VeilControllerPorts ports, settings::Settings& settings,
                   focus::FrontApplication& front);
    ~VeilController();
    VeilController(const VeilController&) = delete;
    VeilController& operator=(const VeilController&) = delete;

    void start();
    /// Fades every veil out.
    void stop();
    bool isRunning() const { return running_; }
    /// One look at the desktop, and the veils put where it says.
    void update();

    /// The veils shown or fading in, by monitor (not those fading out).
    const std::map<ports::MonitorId, std::shared_ptr<ports::VeilWindow>>& veils() const {
        return veils_;
    }

private:
    void updateLater();
    bool monitorsChanged(const ports::DesktopState& state);
    void waitForMonitors();
    void noteOverview(bool showing);
    void place(const ports::Monitor& monitor, const ports::DesktopState& state,
               const std::optional<ports::Monitor>& single);
    void remove(ports::MonitorId monitor);
    void removeAll();

    VeilControllerPorts ports_;
    settings::Settings& settings_;
    focus::FrontApplication& front_;
    look::VeilFades fades_;
    bool running_ = false;
    std::map<ports::MonitorId, std::shared_ptr<ports::VeilWindow>> veils_;
    std::map<ports::MonitorId, core::Rect> knownMonitors_;
    bool waitingForMonitors_ = false;
    bool overviewShown_ = false;
    double lastUpdate_ = -1.0;
    core::Timer ticks_;
    core::Timer soon_;
    core::Timer monitorSettle_;
    std::vector<core::Connection> watches_;
};

}  // namespace quorvel::tracking
