#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ports/update_driver.h"

namespace quorvel::sim {

/// An update mechanism the test drives: it records the checks it is asked for
/// and reports whatever the test makes it report.
class SimUpdateDriver final : public ports::UpdateDriver {
public:
    void setEventHandler(ports::UpdateDriverEvents* handler) override { handler_ = handler; }
    void checkForUpdates(bool userInitiated) override { requestedChecks_.push_back(userInitiated); }
    std::optional<std::string> feedURL() const override { return "https://example.invalid/feed"; }
    double updateCheckInterval() const override { return 86400; }
    bool automaticallyChecksForUpdates() const override { return automatic_; }
    void setAutomaticallyChecksForUpdates(bool on) override { automatic_ = on; }

    /// One entry per `checkForUpdates` call: whether the user started it.
    const std::vector<bool>& requestedChecks() const { return requestedChecks_; }
    void runCheck(bool succeeded) {
        handler_->updateCheckStarted();
        handler_->updateCheckFinished(succeeded);
    }
    void reportUpdate(const ports::UpdateInfo& update, bool userInitiated, bool driverWillShow) {
        handler_->updateFound(update, userInitiated, driverWillShow);
    }

private:
    ports::UpdateDriverEvents* handler_ = nullptr;
    std::vector<bool> requestedChecks_;
    bool automatic_ = true;
};

}  // namespace quorvel::sim
