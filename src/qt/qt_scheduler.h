#pragma once

#include <QObject>
#include <QTimerEvent>
#include <chrono>
#include <map>
#include <vector>

#include "core/scheduler.h"

namespace quorvel::qt {

/// The main queue on Qt's event loop: timers are precise Qt timers of the
/// thread that created the scheduler, `async` work runs on the loop's next
/// turn, and time comes from the monotonic clock.
///
/// Qt keeps delivering timers while a popup menu is open, so the hold of
/// default-mode timers during menu tracking is done here: a default-mode timer
/// that comes due while tracking is remembered and fires once, late, when
/// tracking ends.
class QtScheduler final : public core::Scheduler {
public:
    QtScheduler();
    ~QtScheduler() override;
    QtScheduler(const QtScheduler&) = delete;
    QtScheduler& operator=(const QtScheduler&) = delete;

    double now() const override;
    void async(std::function<void()> action) override;
    void cancel(core::TimerId id) override;
    bool isScheduled(core::TimerId id) const override;
    void setMenuTracking(bool tracking) override;

    bool isMenuTracking() const { return menuTracking_; }
    std::size_t scheduledCount() const { return tasks_.size(); }

protected:
    core::TimerId schedule(double delay, double interval, core::TimerMode mode,
                           std::function<void()> action) override;

private:
    struct Task {
        int qtTimer = 0;  // 0 while no Qt timer runs for it
        bool repeats = false;
        bool restartAfterFirst = false;
        bool held = false;  // came due while a menu was tracked
        std::chrono::milliseconds interval{0};
        core::TimerMode mode = core::TimerMode::Common;
        std::function<void()> action;
    };

    /// Receives the Qt timer events and queued calls for the scheduler.
    class Receiver final : public QObject {
    public:
        explicit Receiver(QtScheduler& owner) : owner_(owner) {}

    protected:
        void timerEvent(QTimerEvent* event) override { owner_.fire(event->timerId()); }

    private:
        QtScheduler& owner_;
    };

    void fire(int qtTimer);
    void run(core::TimerId id);
    void stopQtTimer(Task& task);

    Receiver receiver_;
    std::chrono::steady_clock::time_point epoch_ = std::chrono::steady_clock::now();
    std::map<core::TimerId, Task> tasks_;
    std::map<int, core::TimerId> byQtTimer_;
    std::vector<core::TimerId> heldOrder_;
    core::TimerId nextId_ = 1;
    bool menuTracking_ = false;
};

}  // namespace quorvel::qt
