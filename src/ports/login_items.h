#pragma once

#include <optional>
#include <string>

namespace quorvel::ports {

enum class LoginItemStatus { Enabled, NotEnabled };

/// The session's start-at-login registration of this application.
class LoginItems {
public:
    virtual ~LoginItems() = default;
    /// Called at creation and after each change; read afresh every time.
    virtual LoginItemStatus status() const = 0;
    /// Called when the user turns start at login on; nothing on success, else
    /// a description of the failure.
    virtual std::optional<std::string> registerMainApp() = 0;
    /// Called when it is turned off (also by the reset); nothing on success,
    /// else a description of the failure. Unregistering what is not registered succeeds.
    virtual std::optional<std::string> unregisterMainApp() = 0;
};

}  // namespace quorvel::ports
