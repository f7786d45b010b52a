#pragma once

#include <algorithm>
#include <vector>

#include "ports/session_events.h"

namespace quorvel::sim {

/// The session's lock and sleep announcements, raised by the test exactly as
/// asked, so that an unlock without a lock can be sent too.
class SimSessionEvents final : public ports::SessionEventSource {
public:
    void addObserver(ports::SessionEvents& observer) override {
        if (std::find(observers_.begin(), observers_.end(), &observer) == observers_.end()) {
            observers_.push_back(&observer);
        }
    }
    void removeObserver(ports::SessionEvents& observer) override {
        std::erase(observers_, &observer);
    }

    void lock() {
        for (auto* o : std::vector(observers_)) o->screenLocked();
    }
    void unlock() {
        for (auto* o : std::vector(observers_)) o->screenUnlocked();
    }
    void wake() {
        for (auto* o : std::vector(observers_)) o->didWake();
    }
    std::size_t observerCount() const { return observers_.size(); }

private:
    std::vector<ports::SessionEvents*> observers_;
};

}  // namespace quorvel::sim
