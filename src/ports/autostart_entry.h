#pragma once

#include <optional>
#include <string>

namespace quorvel::ports {

/// The session's autostart entry for this application.
class AutostartEntry {
public:
    virtual ~AutostartEntry() = default;
    /// Called at creation and after each change; read afresh every time.
    virtual bool isEnabled() const = 0;
    /// Called when the user turns autostart on; nothing on success, else a
    /// description of the failure.
    virtual std::optional<std::string> enable() = 0;
    /// Called when it is turned off (also by the reset); nothing on success,
    /// else a description of the failure. Disabling what is not enabled succeeds.
    virtual std::optional<std::string> disable() = 0;
};

}  // namespace quorvel::ports
