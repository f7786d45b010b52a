#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>

namespace quorvel::core {

/// Default-mode timers pause while a menu is being tracked; common-mode timers
/// keep firing (the window poller uses common mode).
enum class TimerMode { Default, Common };

using TimerId = std::uint64_t;

class Scheduler;

/// A scheduled timer that is cancelled when this handle is destroyed or
/// reset, so a timer never outlives the object that owns it.
class Timer {
public:
    Timer() = default;
    Timer(Scheduler& scheduler, TimerId id) : scheduler_(&scheduler), id_(id) {}
    Timer(Timer&& o) noexcept : scheduler_(std::exchange(o.scheduler_, nullptr)), id_(o.id_) {}
    Timer& operator=(Timer&& o) noexcept;
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;
    ~Timer() { cancel(); }

    void cancel();
    /// True while the timer is scheduled: a repeating timer until cancelled,
    /// a one-shot until it has fired.
    bool isActive() const;

private:
    Scheduler* scheduler_ = nullptr;
    TimerId id_ = 0;
};

/// The main queue and its run loop. Behaviour code schedules all delayed and
/// periodic work here and reads time only through `now`, never sleeping.
class Scheduler {
public:
    virtual ~Scheduler() = default;

    /// Seconds on a monotonic clock.
    virtual double now() const = 0;
    /// Runs `action` every `interval` seconds, first after one interval.
    [[nodiscard]] Timer repeating(double interval, TimerMode mode, std::function<void()> action);
    /// Runs `action` once, `delay` seconds from now.
    [[nodiscard]] Timer after(double delay, TimerMode mode, std::function<void()> action);
    /// Runs `action` on the next turn of the main queue; it cannot be cancelled.
    virtual void async(std::function<void()> action) = 0;
    /// Fire-and-forget `after` for delayed blocks that guard their owner themselves.
    void dispatchAfter(double delay, std::function<void()> action);

    virtual void cancel(TimerId id) = 0;
    virtual bool isScheduled(TimerId id) const = 0;

    /// While true, default-mode timers hold their fire until it turns false.
    virtual void setMenuTracking(bool tracking) = 0;

protected:
    virtual TimerId schedule(double delay, double interval, TimerMode mode,
                             std::function<void()> action) = 0;
};

}  // namespace quorvel::core
