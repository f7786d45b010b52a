#include "sim/sim_login_items.h"

namespace quorvel::sim {

ports::LoginItemStatus SimLoginItems::status() const {
    return registered_ && !requiresApproval_ ? ports::LoginItemStatus::Enabled
                                             : ports::LoginItemStatus::NotEnabled;
}

std::optional<std::string> SimLoginItems::registerMainApp() {
    ++registerCalls_;
    if (failure_) return failure_;
    registered_ = true;
    return std::nullopt;
}

std::optional<std::string> SimLoginItems::unregisterMainApp() {
    ++unregisterCalls_;
    if (failure_) return failure_;
    registered_ = false;
    return std::nullopt;
}

}  // namespace quorvel::sim
