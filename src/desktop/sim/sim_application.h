#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/activation_policy.h"
#include "platform/url_opener.h"
#include "platform/window_server.h"

namespace quorvel::sim {

/// The application's taskbar presence, with every policy it was given.
class SimPresence final : public platform::ApplicationPresence {
public:
    explicit SimPresence(platform::ActivationPolicy initial = platform::ActivationPolicy::Regular)
        : policy_(initial) {}
    void setActivationPolicy(platform::ActivationPolicy policy) override {
        policy_ = policy;
        history.push_back(policy);
    }
    platform::ActivationPolicy activationPolicy() const override { return policy_; }

    std::vector<platform::ActivationPolicy> history;

private:
    platform::ActivationPolicy policy_;
};

/// A window server that always connects, with one group of workspaces.
class SimWindowServer final : public platform::WindowServer {
public:
    std::uint32_t mainConnectionID() override { return 1; }
    std::size_t managedDisplaySpaceCount(std::uint32_t) override { return 1; }
};

/// A link handler that records what it was asked to open.
class SimUrlOpener final : public platform::UrlOpener {
public:
    bool openURL(const std::string& url) override {
        opened.push_back(url);
        return true;
    }
    std::vector<std::string> opened;
};

}  // namespace quorvel::sim
