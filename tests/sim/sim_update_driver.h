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
    std::optional<std::string> feedURL() const override { return feedURL_; }
    double updateCheckInterval() const override { return interval_; }
    bool automaticallyChecksForUpdates() const override { return automatic_; }

    // Control surface.
    /// One entry per `checkForUpdates` call: whether the user started it.
    const std::vector<bool>& requestedChecks() const { return requestedChecks_; }
    bool hasEventHandler() const { return handler_ != nullptr; }
    void setFeedURL(std::optional<std::string> url) { feedURL_ = std::move(url); }
    void setUpdateCheckInterval(double seconds) { interval_ = seconds; }
    void setAutomaticallyChecksForUpdates(bool on) override { automatic_ = on; }

    void scheduleNextCheck(double delay);
    void beginCheck();
    void finishCheck(bool succeeded = true);
    /// Reports a found update; the driver shows it itself only for user checks,
    /// as the real one does.
    void findUpdate(const ports::UpdateInfo& update, bool userInitiated);
    /// Reports a found update with any combination of flags.
    void reportUpdate(const ports::UpdateInfo& update, bool userInitiated, bool driverWillShow);
    void attendToUpdate(const ports::UpdateInfo& update);
    void finishSession();

private:
    ports::UpdateDriverEvents* handler_ = nullptr;
    std::vector<bool> requestedChecks_;
    std::optional<std::string> feedURL_ = "https://example.invalid/appcast.xml";
    double interval_ = 86400;
    bool automatic_ = true;
};

}  // namespace quorvel::sim
