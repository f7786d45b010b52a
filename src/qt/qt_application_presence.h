#pragma once

#include "ports/activation_policy.h"

namespace quorvel::qt {

/// The activation policy on a Linux desktop: an accessory has no taskbar
/// entry. Only the settings window ever shows one, so the policy is recorded
/// here and the settings window asks for it when it opens.
class QtApplicationPresence final : public ports::ApplicationPresence {
public:
    void setActivationPolicy(ports::ActivationPolicy policy) override { policy_ = policy; }
    ports::ActivationPolicy activationPolicy() const override { return policy_; }

private:
    ports::ActivationPolicy policy_ = ports::ActivationPolicy::Regular;
};

}  // namespace quorvel::qt
