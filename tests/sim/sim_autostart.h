#pragma once

#include <optional>
#include <string>

#include "ports/autostart_entry.h"

namespace quorvel::sim {

/// An autostart entry whose answers the test decides.
class SimAutostart final : public ports::AutostartEntry {
public:
    bool isEnabled() const override { return enabled_; }
    std::optional<std::string> enable() override { return set(true); }
    std::optional<std::string> disable() override { return set(false); }

    // Control surface.
    /// Changes the entry as another program would, without telling anyone.
    void setExternally(bool enabled) { enabled_ = enabled; }
    /// The next calls fail with this message (nothing: they succeed).
    void setFailure(std::optional<std::string> message) { failure_ = std::move(message); }

private:
    std::optional<std::string> set(bool enabled) {
        if (failure_) return failure_;
        enabled_ = enabled;
        return std::nullopt;
    }

    bool enabled_ = false;
    std::optional<std::string> failure_;
};

}  // namespace quorvel::sim
