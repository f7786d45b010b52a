#pragma once

#include <string>
#include <vector>

namespace quorvel::program {

/// `quorvel toggle|on|off|mode M|exclude|include|settings|status [--json]`:
/// one request to the running instance over the session bus.
class RemoteCommand final {
public:
    /// Exit statuses besides 0.
    static constexpr int kFailed = 1;  // no instance, or it refused
    static constexpr int kMisuse = 64;

    /// Nothing when the first argument names no command: the program starts.
    static bool isCommand(const std::vector<std::string>& args);
    /// Whether the session bus knows a running instance.
    static bool instanceRuns();
    explicit RemoteCommand(std::vector<std::string> args) : args_(std::move(args)) {}

    /// Needs a QCoreApplication; prints one line (the status, or what failed).
    int run() const;

private:
    int status(bool json) const;

    std::vector<std::string> args_;
};

}  // namespace quorvel::program
