#pragma once

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/scheduler.h"
#include "core/signal.h"
#include "ports/desktop.h"
#include "ports/veil_windows.h"

namespace quorvel::sim {

class SimVeilWindow;

/// What a test says about a window it opens (the desktop's coordinates).
struct WindowSpec {
    std::string app{};  ///< the application's name and, unless `appId` says otherwise, its id
    core::Rect frame{};
    ports::WindowKind kind = ports::WindowKind::normal;
    bool fullscreen = false;
    bool keepAbove = false;
    bool own = false;
    std::optional<std::string> appId{};
};

/// The simulated desktop, with a control surface for tests. It stacks as a
/// window manager does: keep-above windows over the others, the last raised
/// first within each; a veil sits where it was placed. Every change is
/// reported, as the real desktops do.
class SimDesktop final : public ports::Desktop, public ports::VeilWindows {
public:
    explicit SimDesktop(core::Scheduler& scheduler) : scheduler_(scheduler) {}
    ~SimDesktop() override;
    SimDesktop(const SimDesktop&) = delete;
    SimDesktop& operator=(const SimDesktop&) = delete;

    // Ports.
    ports::DesktopState state() override { return reported_ ? *reported_ : now(); }
    std::optional<ports::Application> frontApplication() override;
    std::vector<ports::Application> runningApplications() override;
    core::Point pointer() override { return pointer_; }
    core::Signal<>& changed() override { return changed_; }
    std::shared_ptr<ports::VeilWindow> create(const ports::Monitor& monitor) override;

    // Windows. A window opens in front of its kind and gets the focus.
    ports::WindowId open(const WindowSpec& spec);
    /// A click on the window: raised and focused.
    void activate(ports::WindowId id);
    void move(ports::WindowId id, const core::Rect& frame);
    void close(ports::WindowId id);

    // Monitors: the first is the primary.
    ports::MonitorId addMonitor(const core::Rect& frame);
    void setMonitorFrame(ports::MonitorId id, const core::Rect& frame);
    void movePointer(core::Point location) { pointer_ = location; }
    void setOverview(bool showing);
    void setSwitchingWorkspace(bool switching);
    /// From now on `state` tells what the desktop showed before the latest
    /// change, as a compositor's report arrives a moment late; `frontApplication` stays exact.
    void setReportsLate(bool late) { late_ = late; }

    // Readout.
    /// Front to back, every window by id and every shown veil as 0.
    std::vector<ports::WindowId> stacking() const;
    /// One line, front to back: windows by app name, veils as "[veil:<monitor> a=<alpha>]".
    std::string describeStacking() const;
    /// The veils made so far, in order, closed ones included.
    const std::vector<std::shared_ptr<SimVeilWindow>>& createdVeils() const { return veils_; }
    /// The newest veil of the monitor that is not closed; null when none.
    SimVeilWindow* veilOn(ports::MonitorId monitor) const;
    /// Veils shown and not fading out.
    std::size_t shownVeils() const;
    /// A shown veil with some alpha lies over the window.
    bool isCovered(ports::WindowId id) const;
    /// The monitor's veil is shown directly below the window (other
    /// monitors' veils may lie between them).
    bool veiledBelow(ports::WindowId id, ports::MonitorId monitor) const;

    // Called by veils.
    void veilPlaced(SimVeilWindow& veil, std::optional<ports::WindowId> below);
    void veilHidden(SimVeilWindow& veil);

private:
    struct Record {
        WindowSpec spec;
        ports::WindowId id = 0;
        SimVeilWindow* veil = nullptr;
    };
    struct Screen {
        ports::MonitorId id = 0;
        core::Rect frame;
    };

    ports::DesktopState now() const;
    std::vector<Record>::const_iterator find(ports::WindowId id) const;
    /// Where `record` goes: in front of its kind (keep-above or not).
    void insertInFront(const Record& record);
    void report() { changed_.emit(); }
    /// Where reports come late: the state as it is now stays what `state` says a moment longer.
    void holdReport();

    core::Scheduler& scheduler_;
    std::vector<Record> order_;  // front to back, veils included
    std::vector<Screen> monitors_;
    std::vector<std::shared_ptr<SimVeilWindow>> veils_;
    std::optional<ports::WindowId> active_;
    bool overview_ = false;
    bool switching_ = false;
    bool late_ = false;
    std::optional<ports::DesktopState> reported_;
    core::Point pointer_;
    ports::WindowId lastId_ = 100;
    ports::MonitorId lastMonitor_ = 0;
    core::Signal<> changed_;
};

}  // namespace quorvel::sim
