#include "core/scheduler.h"

namespace quorvel::core {

Timer& Timer::operator=(Timer&& o) noexcept {
    if (this != &o) {
        cancel();
        scheduler_ = std::exchange(o.scheduler_, nullptr);
        id_ = o.id_;
    }
    return *this;
}

void Timer::cancel() {
    if (scheduler_) scheduler_->cancel(id_);
    scheduler_ = nullptr;
}

bool Timer::isActive() const {
    return scheduler_ && scheduler_->isScheduled(id_);
}

Timer Scheduler::repeating(double interval, TimerMode mode, std::function<void()> action) {
    return Timer(*this, schedule(interval, interval, mode, std::move(action)));
}

Timer Scheduler::after(double delay, TimerMode mode, std::function<void()> action) {
    return Timer(*this, schedule(delay, 0.0, mode, std::move(action)));
}

void Scheduler::dispatchAfter(double delay, std::function<void()> action) {
    schedule(delay, 0.0, TimerMode::Common, std::move(action));
}

}  // namespace quorvel::core
