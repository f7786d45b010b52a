#pragma once

#include "platform/activation_policy.h"

namespace quorvel::qt {

/// The activation policy on a Linux desktop: an accessory has no taskbar
/// entry. Only the settings window ever shows one, so the policy is recorded
/// here and the settings window asks for it when it opens.
class QtApplicationPresence final : public platform::ApplicationPresence {
public:
    void setActivationPolicy(platform::ActivationPolicy policy) override { policy_ = policy; }
    platform::ActivationPolicy activationPolicy() const override { return policy_; }

private:
    platform::ActivationPolicy policy_ = platform::ActivationPolicy::Regular;
};

}  // namespace quorvel::qt
