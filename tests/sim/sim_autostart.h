#pragma once

#include <optional>
#include <string>

#include "ports/autostart_entry.h"

namespace quorvel::sim {

/// An autostart entry that always does as it is told.
class SimAutostart final : public ports::AutostartEntry {
public:
    bool isEnabled() const override { return enabled_; }
    std::optional<std::string> enable() override { return set(true); }
    std::optional<std::string> disable() override { return set(false); }
    /// Changes the entry as another program would, without telling anyone.
    void setExternally(bool enabled) { enabled_ = enabled; }

private:
    std::optional<std::string> set(bool enabled) {
        enabled_ = enabled;
        return std::nullopt;
    }

    bool enabled_ = false;
};

}  // namespace quorvel::sim
