#pragma once

#include <string>

#include "ports/launcher_badge.h"

namespace quorvel::sim {

/// A launcher icon whose badge the test can read.
class SimLauncherBadge final : public ports::LauncherBadge {
public:
    void setBadgeLabel(const std::string& label) override { label_ = label; }
    /// The badge as shown; empty when there is none.
    const std::string& label() const { return label_; }

private:
    std::string label_;
};

}  // namespace quorvel::sim
