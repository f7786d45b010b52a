#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace quorvel::x11 {

/// One physical key: its code in the stored (layout-independent) key-code
/// space, its X keycode on an evdev keyboard, and what it types on a US layout.
struct KeyPosition {
    std::uint32_t keyCode;   // stored key code
    std::uint8_t xKeycode;   // evdev scan code + 8
    std::uint32_t usKeysym;  // the US layout's keysym at level 0
};

/// The X keycode of a stored key code; nothing for keys X keyboards lack.
std::optional<std::uint8_t> xKeycodeFor(std::uint32_t keyCode);
/// The stored key code of an X keycode; nothing for keys the stored space lacks.
std::optional<std::uint32_t> keyCodeForXKeycode(std::uint8_t xKeycode);
/// The whole table, for hot-key registration and the shortcut recorder.
std::span<const KeyPosition> keyPositions();

}  // namespace quorvel::x11
