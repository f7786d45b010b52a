#pragma once

#include <map>

#include "ports/keyboard_layout.h"

namespace quorvel::sim {

/// A keyboard layout whose keys type what the test says they type.
class SimKeyboardLayout final : public ports::KeyboardLayout {
public:
    std::optional<std::string> characters(std::uint32_t keyCode) const override;

    void setCharacters(std::uint32_t keyCode, std::string text) {
        keys_[keyCode] = std::move(text);
    }
    /// No layout at all: every key reads as nothing.
    void setAvailable(bool available) { available_ = available; }

    /// A US layout: letters, digits and punctuation type their unshifted character.
    static SimKeyboardLayout usLayout();

private:
    std::map<std::uint32_t, std::string> keys_;
    bool available_ = true;
};

}  // namespace quorvel::sim
