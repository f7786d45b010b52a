#pragma once

#include <cstdint>
#include <string>

struct xkb_keymap;

namespace quorvel::x11 {

/// What `key` (an XKB keycode) types at level 0 of `group`, as UTF-8; empty
/// for nothing or a control character.
std::string typedText(xkb_keymap* keymap, std::uint32_t key, std::uint32_t group);

/// The group that names keys: shortcuts are named as an ASCII-capable layout
/// types them ("us,ru" with Russian active still names J "J"), so `active`
/// when its A key types ASCII, else the first group that does.
std::uint32_t asciiGroup(xkb_keymap* keymap, std::uint32_t active);

}  // namespace quorvel::x11
