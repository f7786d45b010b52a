#include "program/termination_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <string>

#include "core/log.h"

namespace quorvel::program {

namespace {

// Written by the signal handler, so a plain int set before the handlers exist.
int writeEnd = -1;
int readEnd = -1;
constexpr std::array kSignals{SIGTERM, SIGINT, SIGHUP};

extern "C" void forwardSignal(int number) {
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(number);
    [[maybe_unused]] const ssize_t ignored = ::write(writeEnd, &byte, 1);
    errno = saved;
}

}  // namespace

bool TerminationSignals::catchEarly() {
    if (readEnd >= 0) return true;
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, fds) != 0) {
        core::log(std::string("⚠️ Cannot watch for termination signals: ") +
                  std::strerror(errno));
        return false;
    }
    writeEnd = fds[0];
    readEnd = fds[1];
    struct sigaction action {};
    action.sa_handler = forwardSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : kSignals) ::sigaction(number, &action, nullptr);
    return true;
}

TerminationSignals::TerminationSignals(std::function<void(int)> onSignal)
    : onSignal_(std::move(onSignal)) {
    if (!catchEarly()) return;
    notifier_ = std::make_unique<QSocketNotifier>(readEnd, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { drain(); });
    // A signal caught before there was an event loop to read it is already waiting.
}

TerminationSignals::~TerminationSignals() {
    if (!notifier_) return;
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (int number : kSignals) ::sigaction(number, &action, nullptr);
    notifier_.reset();
    ::close(writeEnd);
    ::close(readEnd);
    writeEnd = readEnd = -1;
}

void TerminationSignals::drain() {
    unsigned char byte = 0;
    while (::read(readEnd, &byte, 1) == 1) onSignal_(byte);
}

}  // namespace quorvel::program
