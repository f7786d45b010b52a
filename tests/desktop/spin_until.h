#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <functional>

namespace quorvel::testing {

// Turns the event loop until `done` holds; false after `limitMs`. The limits
// are far above what the tests wait for, so they only end a hung test.
inline bool spinUntil(const std::function<bool()>& done, int limitMs = 10'000) {
    QDeadlineTimer deadline(limitMs);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    }
    return true;
}

}  // namespace quorvel::testing
