#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QString>
#include <QStringList>

#include "spin_until.h"

namespace quorvel::testing {

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
