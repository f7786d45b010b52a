#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/preference_store.h"
#include "ports/keyboard_layout.h"

namespace quorvel::settings {

/// Modifier bits of a stored shortcut (the platform-independent flag space
/// every stored `KeyCombo` uses; adapters translate to and from X11 masks).
namespace modifier {
inline constexpr std::uint32_t shift = 1u << 17;    // 131072
inline constexpr std::uint32_t control = 1u << 18;  // 262144
inline constexpr std::uint32_t alt = 1u << 19;      // 524288
inline constexpr std::uint32_t super = 1u << 20;    // 1048576
/// Control + Alt + Super, the modifiers of all three default shortcuts.
inline constexpr std::uint32_t controlAltSuper = control | alt | super;  // 1835008
}  // namespace modifier

/// A keyboard shortcut: a key code (see key_codes.h) and modifier bits.
struct KeyCombo {
    std::uint32_t keyCode = 0;
    std::uint32_t modifiers = 0;

    bool operator==(const KeyCombo&) const = default;

    /// {"keyCode":N,"modifiers":M}
    std::string toJson() const;
    /// The JSON text as UTF-8 bytes, the form kept in the settings file.
    core::Bytes encode() const;
    /// Nothing unless `json` is an object whose "keyCode" and "modifiers" are
    /// integers in the unsigned 32-bit range (other members are ignored).
    static std::optional<KeyCombo> fromJson(std::string_view json);
    static std::optional<KeyCombo> decode(const core::Bytes& bytes);

    /// As Linux desktops print it: "Ctrl+", "Alt+", "Shift+", "Super+" for the
    /// modifiers present, in that order, then the key's name: a fixed name for
    /// special keys ("Page Up", "F13", "Keypad 5"), else what the key types
    /// under `layout`, upper-cased; "?" when the layout gives nothing.
    std::string displayString(const ports::KeyboardLayout& layout) const;
    /// The same names one by one, as key caps: {"Ctrl", "Alt", "Super", "J"}.
    std::vector<std::string> keyCaps(const ports::KeyboardLayout& layout) const;
};

/// The fixed name of a special key (Enter, Tab, arrows, F-keys, keypad, ...),
/// or nothing for a key that is named by what it types.
std::optional<std::string> specialKeyName(std::uint32_t keyCode);

/// Upper-cases ASCII and the Latin-1 / Latin Extended-A letters of UTF-8 text;
/// other characters are kept as they are.
std::string upperCased(std::string_view text);
/// Lower-cases the same letters.
std::string lowerCased(std::string_view text);

}  // namespace quorvel::settings
