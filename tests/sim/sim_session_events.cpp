#include "sim/sim_session_events.h"

#include <algorithm>

namespace quorvel::sim {

template <typename F>
void SimSessionEvents::notify(F&& f) {
    auto snapshot = observers_;
    for (auto* o : snapshot) {
        if (std::find(observers_.begin(), observers_.end(), o) != observers_.end()) f(*o);
    }
}

void SimSessionEvents::addObserver(ports::SessionEvents& observer) {
    if (std::find(observers_.begin(), observers_.end(), &observer) == observers_.end()) {
        observers_.push_back(&observer);
    }
}

void SimSessionEvents::removeObserver(ports::SessionEvents& observer) {
    std::erase(observers_, &observer);
}

void SimSessionEvents::lock() {
    notify([](ports::SessionEvents& o) { o.screenLocked(); });
}

void SimSessionEvents::unlock() {
    notify([](ports::SessionEvents& o) { o.screenUnlocked(); });
}

void SimSessionEvents::wake() {
    notify([](ports::SessionEvents& o) { o.didWake(); });
}

}  // namespace quorvel::sim
