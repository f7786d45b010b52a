#pragma once

#include <map>

#include "ports/keyboard_layout.h"
#include "settings/key_codes.h"

namespace quorvel::sim {

/// A keyboard layout: none at all, or a US one whose letters, digits and
/// punctuation type their unshifted character.
class SimKeyboardLayout final : public ports::KeyboardLayout {
public:
    std::optional<std::string> characters(std::uint32_t keyCode) const override {
        auto it = keys_.find(keyCode);
        return it == keys_.end() ? std::nullopt : std::optional(it->second);
    }
    static SimKeyboardLayout usLayout() {
        SimKeyboardLayout layout;
        for (const auto& key : settings::keycode::ansiKeys) {
            layout.keys_[key.keyCode] = std::string(1, key.character);
        }
        return layout;
    }

private:
    std::map<std::uint32_t, std::string> keys_;
};

}  // namespace quorvel::sim
