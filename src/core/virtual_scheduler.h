#pragma once

#include <deque>
#include <map>

#include "core/scheduler.h"

namespace quorvel::core {

/// Deterministic time for tests and simulations. Time moves only through
/// `advance`; due work runs in order of due time, ties in scheduling order,
/// and queued `async` work runs before any timer that is due later.
class VirtualScheduler final : public Scheduler {
public:
    explicit VirtualScheduler(double start = 1000.0) : now_(start) {}

    double now() const override { return now_; }
    void async(std::function<void()> action) override;
    void cancel(TimerId id) override;
    bool isScheduled(TimerId id) const override;
    void setMenuTracking(bool tracking) override;

    /// Moves time forward by `seconds`, running everything that falls due.
    void advance(double seconds);
    /// Runs queued async work (and what it queues) without moving time.
    void runPending();
    std::size_t scheduledCount() const { return tasks_.size(); }
    bool isMenuTracking() const { return menuTracking_; }

protected:
    TimerId schedule(double delay, double interval, TimerMode mode,
                     std::function<void()> action) override;

private:
    struct Task {
        double due;
        double interval;
        TimerMode mode;
        std::uint64_t sequence;
        std::function<void()> action;
    };
    bool runNextDue(double limit);

    double now_;
    bool menuTracking_ = false;
    std::map<TimerId, Task> tasks_;
    std::deque<std::function<void()>> asyncQueue_;
    TimerId nextId_ = 1;
    std::uint64_t nextSequence_ = 1;
};

}  // namespace quorvel::core
