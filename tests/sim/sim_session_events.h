#pragma once

#include <vector>

#include "ports/session_events.h"

namespace quorvel::sim {

/// The session's lock and sleep announcements, raised by the test exactly as
/// asked, so that an unlock without a lock can be sent too.
class SimSessionEvents final : public ports::SessionEventSource {
public:
    void addObserver(ports::SessionEvents& observer) override;
    void removeObserver(ports::SessionEvents& observer) override;

    // Control surface.
    void lock();
    void unlock();
    void wake();

    std::size_t observerCount() const { return observers_.size(); }

private:
    template <typename F>
    void notify(F&& f);

    std::vector<ports::SessionEvents*> observers_;
};

}  // namespace quorvel::sim
