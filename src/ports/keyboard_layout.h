#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quorvel::ports {

/// The user's current keyboard layout, in the stored key-code space.
class KeyboardLayout {
public:
    virtual ~KeyboardLayout() = default;
    /// Called to name a key; the characters it types with no modifiers, or nothing
    /// when no layout is available or the key types no character.
    virtual std::optional<std::string> characters(std::uint32_t keyCode) const = 0;
};

}  // namespace quorvel::ports
