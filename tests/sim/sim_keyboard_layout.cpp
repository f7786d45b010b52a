#include "sim/sim_keyboard_layout.h"

#include "settings/key_codes.h"

namespace quorvel::sim {

std::optional<std::string> SimKeyboardLayout::characters(std::uint32_t keyCode) const {
    if (!available_) return std::nullopt;
    auto it = keys_.find(keyCode);
    if (it == keys_.end()) return std::nullopt;
    return it->second;
}

SimKeyboardLayout SimKeyboardLayout::usLayout() {
    SimKeyboardLayout layout;
    for (const auto& key : settings::keycode::ansiKeys) {
        layout.setCharacters(key.keyCode, std::string(1, key.character));
    }
    return layout;
}

}  // namespace quorvel::sim
