#pragma once

#include <optional>
#include <string>

#include "ports/login_items.h"

namespace quorvel::sim {

/// A start-at-login service whose answers the test decides.
class SimLoginItems final : public ports::LoginItems {
public:
    ports::LoginItemStatus status() const override;
    std::optional<std::string> registerMainApp() override;
    std::optional<std::string> unregisterMainApp() override;

    // Control surface.
    bool isRegistered() const { return registered_; }
    /// Changes the registration as another program would, without telling anyone.
    void setRegisteredExternally(bool registered) { registered_ = registered; }
    /// The session accepts the registration but waits for the user's approval,
    /// so the status stays "not enabled".
    void setRequiresApproval(bool required) { requiresApproval_ = required; }
    /// The next calls fail with this message (nothing: they succeed).
    void setFailure(std::optional<std::string> message) { failure_ = std::move(message); }
    int registerCalls() const { return registerCalls_; }
    int unregisterCalls() const { return unregisterCalls_; }

private:
    bool registered_ = false;
    bool requiresApproval_ = false;
    std::optional<std::string> failure_;
    int registerCalls_ = 0;
    int unregisterCalls_ = 0;
};

}  // namespace quorvel::sim
