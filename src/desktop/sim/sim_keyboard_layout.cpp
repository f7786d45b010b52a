#include "desktop/sim/sim_keyboard_layout.h"

namespace quorvel::sim {

std::optional<std::string> SimKeyboardLayout::characters(std::uint32_t keyCode) const {
    if (!available_) return std::nullopt;
    auto it = keys_.find(keyCode);
    if (it == keys_.end()) return std::nullopt;
    return it->second;
}

}  // namespace quorvel::sim
