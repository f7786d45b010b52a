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

/// A veil on the simulated desktop. Its place in the stacking lives in the
/// desktop's model; fades run linearly on the scheduler.
class SimVeilWindow final : public ports::VeilWindow {
public:
    SimVeilWindow(SimDesktop& desktop, core::Scheduler& scheduler, ports::WindowId id,
                  const ports::Monitor& monitor)
        : desktop_(&desktop),
          scheduler_(scheduler),
          id_(id),
          monitor_(monitor.id),
          frame_(monitor.frame) {}

    void setFrame(const core::Rect& frame) override {
        if (!closed_) frame_ = frame;
    }
    void placeBelow(ports::WindowId window) override { place(window); }
    void cover() override { place(std::nullopt); }
    void setAlpha(double alpha) override {
        if (!closed_) alpha_ = alpha;
    }
    double alpha() const override {
        if (!fade_ || fade_->duration <= 0) return fade_ ? fade_->from : alpha_;
        const double done =
            std::clamp((scheduler_.now() - fade_->start) / fade_->duration, 0.0, 1.0);
        return fade_->from + (fade_->to - fade_->from) * done;
    }
    void animateAlpha(double target, double duration, std::function<void()> completion) override {
        if (closed_) return;
        std::function<void()> replaced;
        if (fade_) {
            alpha_ = alpha();
            replaced = std::move(fade_->completion);
        }
        fade_ =
            Fade{alpha_, target, scheduler_.now(), std::max(0.0, duration), std::move(completion)};
        // Even an instant change ends on the next turn of the main queue.
        fadeTimer_ = scheduler_.after(fade_->duration, core::TimerMode::Common, [this] {
            alpha_ = fade_->to;
            auto finished = std::move(fade_->completion);
            fade_.reset();
            if (finished) finished();
        });
        if (replaced) replaced();
    }
    void hide() override {
        if (closed_) return;
        shown_ = false;
        if (desktop_) desktop_->veilHidden(*this);
    }
    void close() override {
        hide();
        closed_ = true;
    }

    ports::WindowId id() const { return id_; }
    /// The monitor it was made for.
    ports::MonitorId monitor() const { return monitor_; }
    const core::Rect& frame() const { return frame_; }
    bool isShown() const { return shown_; }
    bool isCovering() const { return covering_; }
    bool isClosed() const { return closed_; }
    /// The alpha a running fade heads for (the current alpha when none runs).
    double targetAlpha() const { return fade_ ? fade_->to : alpha_; }
    /// The desktop went away: fades end without their completions.
    void abandon() {
        fadeTimer_.cancel();
        fade_.reset();
        desktop_ = nullptr;
    }

private:
    struct Fade {
        double from, to, start, duration;
        std::function<void()> completion;
    };
    void place(std::optional<ports::WindowId> below) {
        if (closed_) return;
        shown_ = true;
        covering_ = !below;
        if (desktop_) desktop_->veilPlaced(*this, below);
    }

    SimDesktop* desktop_;
    core::Scheduler& scheduler_;
    ports::WindowId id_;
    ports::MonitorId monitor_;
    core::Rect frame_;
    bool shown_ = false;
    bool covering_ = false;
    bool closed_ = false;
    double alpha_ = 0.0;
    std::optional<Fade> fade_;
    core::Timer fadeTimer_;
};

}  // namespace quorvel::sim
