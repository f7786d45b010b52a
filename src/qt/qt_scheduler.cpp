#include "qt/qt_scheduler.h"

#include <QMetaObject>
#include <algorithm>
#include <cmath>
#include <utility>

namespace quorvel::qt {

namespace {

std::chrono::milliseconds toMilliseconds(double seconds) {
    // Qt timers count whole milliseconds; rounding up keeps a timer from firing
    // before its time.
    return std::chrono::milliseconds(
        static_cast<std::int64_t>(std::ceil(std::max(0.0, seconds) * 1000.0 - 1e-6)));
}

}  // namespace

QtScheduler::QtScheduler() : receiver_(*this) {}

QtScheduler::~QtScheduler() {
    for (auto& [id, task] : tasks_) stopQtTimer(task);
}

double QtScheduler::now() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - epoch_).count();
}

void QtScheduler::async(std::function<void()> action) {
    QMetaObject::invokeMethod(
        &receiver_, [action = std::move(action)] { action(); }, Qt::QueuedConnection);
}

core::TimerId QtScheduler::schedule(double delay, double interval, core::TimerMode mode,
                                    std::function<void()> action) {
    const core::TimerId id = nextId_++;
    Task task;
    task.repeats = interval > 0;
    task.interval = toMilliseconds(interval);
    task.mode = mode;
    task.action = std::move(action);
    task.restartAfterFirst = task.repeats && toMilliseconds(delay) != task.interval;
    task.qtTimer = receiver_.startTimer(toMilliseconds(delay), Qt::PreciseTimer);
    if (task.qtTimer != 0) byQtTimer_[task.qtTimer] = id;
    tasks_.emplace(id, std::move(task));
    return id;
}

void QtScheduler::stopQtTimer(Task& task) {
    if (task.qtTimer == 0) return;
    receiver_.killTimer(task.qtTimer);
    byQtTimer_.erase(task.qtTimer);
    task.qtTimer = 0;
}

void QtScheduler::cancel(core::TimerId id) {
    auto it = tasks_.find(id);
    if (it == tasks_.end()) return;
    stopQtTimer(it->second);
    tasks_.erase(it);
    std::erase(heldOrder_, id);
}

bool QtScheduler::isScheduled(core::TimerId id) const {
    return tasks_.count(id) > 0;
}

void QtScheduler::fire(int qtTimer) {
    auto found = byQtTimer_.find(qtTimer);
    if (found == byQtTimer_.end()) return;
    const core::TimerId id = found->second;
    Task& task = tasks_.at(id);
    if (!task.repeats) {
        stopQtTimer(task);
    } else if (std::exchange(task.restartAfterFirst, false)) {
        // The first fire ended an initial delay that differs from the interval;
        // from here on the timer runs at its own interval.
        stopQtTimer(task);
        task.qtTimer = receiver_.startTimer(task.interval, Qt::PreciseTimer);
        if (task.qtTimer != 0) byQtTimer_[task.qtTimer] = id;
    }
    if (menuTracking_ && task.mode == core::TimerMode::Default) {
        if (!task.held) heldOrder_.push_back(id);
        task.held = true;
        return;
    }
    run(id);
}

void QtScheduler::run(core::TimerId id) {
    auto it = tasks_.find(id);
    if (it == tasks_.end()) return;
    // A copy: the action may cancel its own timer, which destroys the task.
    auto action = it->second.action;
    if (!it->second.repeats) tasks_.erase(it);
    action();
}

void QtScheduler::setMenuTracking(bool tracking) {
    menuTracking_ = tracking;
    if (tracking) return;
    // Oldest first; an action that opens a menu again leaves the rest held.
    while (!menuTracking_ && !heldOrder_.empty()) {
        const core::TimerId id = heldOrder_.front();
        heldOrder_.erase(heldOrder_.begin());
        auto it = tasks_.find(id);
        if (it == tasks_.end()) continue;
        it->second.held = false;
        run(id);
    }
}

}  // namespace quorvel::qt
