#include "core/virtual_scheduler.h"

#include <algorithm>
#include <cmath>

namespace quorvel::core {

TimerId VirtualScheduler::schedule(double delay, double interval, TimerMode mode,
                                   std::function<void()> action) {
    const TimerId id = nextId_++;
    tasks_.emplace(
        id, Task{now_ + std::max(0.0, delay), interval, mode, nextSequence_++, std::move(action)});
    return id;
}

void VirtualScheduler::async(std::function<void()> action) {
    asyncQueue_.push_back(std::move(action));
}

void VirtualScheduler::cancel(TimerId id) {
    tasks_.erase(id);
}

bool VirtualScheduler::isScheduled(TimerId id) const {
    return tasks_.count(id) > 0;
}

void VirtualScheduler::setMenuTracking(bool tracking) {
    menuTracking_ = tracking;
    if (!tracking) advance(0.0);  // held default-mode timers fire late, at once
}

void VirtualScheduler::runPending() {
    while (!asyncQueue_.empty()) {
        auto action = std::move(asyncQueue_.front());
        asyncQueue_.pop_front();
        action();
    }
}

bool VirtualScheduler::runNextDue(double limit) {
    auto best = tasks_.end();
    for (auto it = tasks_.begin(); it != tasks_.end(); ++it) {
        const Task& t = it->second;
        if (t.due > limit + 1e-9) continue;
        if (menuTracking_ && t.mode == TimerMode::Default) continue;
        if (best == tasks_.end() || t.due < best->second.due - 1e-12 ||
            (std::abs(t.due - best->second.due) <= 1e-12 && t.sequence < best->second.sequence)) {
            best = it;
        }
    }
    if (best == tasks_.end()) return false;
    const TimerId id = best->first;
    now_ = std::max(now_, best->second.due);
    auto action = best->second.action;  // a copy: the action may cancel its own timer
    if (best->second.interval > 0) {
        best->second.due += best->second.interval;
        best->second.sequence = nextSequence_++;
    } else {
        tasks_.erase(id);
    }
    action();
    runPending();
    return true;
}

void VirtualScheduler::advance(double seconds) {
    const double target = now_ + std::max(0.0, seconds);
    runPending();
    while (runNextDue(target)) {
    }
    now_ = target;
}

}  // namespace quorvel::core
