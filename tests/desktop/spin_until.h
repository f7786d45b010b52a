#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QString>
#include <QStringList>
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

/// Turns the event loop for `ms` so that nothing that should not happen does.
inline void settle(int ms = 300) {
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

/// Runs a helper tool to its end; its standard output, trimmed.
inline QString run(const QString& program, const QStringList& arguments) {
    QProcess p;
    p.start(program, arguments);
    p.waitForFinished(10'000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

}  // namespace quorvel::testing
