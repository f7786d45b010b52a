#pragma once

#include <string>
#include <vector>

#include "ports/launcher_badge.h"

namespace quorvel::sim {

/// A launcher icon whose badge the test can read.
class SimLauncherBadge final : public ports::LauncherBadge {
public:
    void setBadgeLabel(const std::string& label) override {
        label_ = label;
        history_.push_back(label);
    }
    /// The badge as shown; empty when there is none.
    const std::string& label() const { return label_; }
    /// Every label set, in order.
    const std::vector<std::string>& history() const { return history_; }

private:
    std::string label_;
    std::vector<std::string> history_;
};

}  // namespace quorvel::sim
