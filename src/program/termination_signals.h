#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <functional>
#include <memory>

namespace quorvel::program {

/// Turns SIGTERM, SIGINT and SIGHUP into a call on the event loop. The handler
/// only writes the signal number into a pipe; the work happens when the loop
/// reads it, so nothing unsafe ever runs inside the signal handler.
class TerminationSignals final {
public:
    /// Catches the signals from now on, before there is an event loop; they
    /// wait in the pipe for the instance made later. False when that failed (logged).
    static bool catchEarly();
    /// `onSignal` runs on the event loop with the signal number, once per signal.
    explicit TerminationSignals(std::function<void(int)> onSignal);
    ~TerminationSignals();
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    /// False when the pipe or the handlers could not be set up (logged).
    bool isInstalled() const { return notifier_ != nullptr; }

private:
    void drain();

    std::function<void(int)> onSignal_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace quorvel::program
