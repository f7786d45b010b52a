#pragma once

#include <vector>

#include "platform/session_events.h"

namespace quorvel::sim {

/// The session's lock and sleep announcements, raised by the test exactly as
/// asked, so that an unlock without a lock can be sent too.
class SimSessionEvents final : public platform::SessionEventSource {
public:
    void addObserver(platform::SessionEvents& observer) override;
    void removeObserver(platform::SessionEvents& observer) override;

    // Control surface.
    void lock();
    void unlock();
    void wake();

    std::size_t observerCount() const { return observers_.size(); }

private:
    template <typename F>
    void notify(F&& f);

    std::vector<platform::SessionEvents*> observers_;
};

}  // namespace quorvel::sim
