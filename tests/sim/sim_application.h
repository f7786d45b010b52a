#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ports/activation_policy.h"
#include "ports/url_opener.h"

namespace quorvel::sim {

/// The application's taskbar presence, with every policy it was given.
class SimPresence final : public ports::ApplicationPresence {
public:
    explicit SimPresence(ports::ActivationPolicy initial = ports::ActivationPolicy::Regular)
        : policy_(initial) {}
    void setActivationPolicy(ports::ActivationPolicy policy) override {
        policy_ = policy;
        history.push_back(policy);
    }
    ports::ActivationPolicy activationPolicy() const override { return policy_; }

    std::vector<ports::ActivationPolicy> history;

private:
    ports::ActivationPolicy policy_;
};

/// A link handler that records what it was asked to open.
class SimUrlOpener final : public ports::UrlOpener {
public:
    bool openURL(const std::string& url) override {
        opened.push_back(url);
        return true;
    }
    std::vector<std::string> opened;
};

}  // namespace quorvel::sim
