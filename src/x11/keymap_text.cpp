#include "x11/keymap_text.h"

#include <xkbcommon/xkbcommon.h>

#include "x11/key_table.h"

namespace quorvel::x11 {

std::string typedText(xkb_keymap* keymap, std::uint32_t key, std::uint32_t group) {
    const xkb_keysym_t* syms = nullptr;
    if (xkb_keymap_key_get_syms_by_level(keymap, key, group, 0, &syms) <= 0) return {};
    char text[16] = {};
    const int length = xkb_keysym_to_utf8(syms[0], text, sizeof(text));
    if (length <= 1) return {};
    const auto first = static_cast<unsigned char>(text[0]);
    if (length == 2 && (first < 0x20 || first == 0x7f)) return {};
    return std::string(text, std::size_t(length - 1));
}

std::uint32_t asciiGroup(xkb_keymap* keymap, std::uint32_t active) {
    const xkb_keycode_t keyA = xKeycodeFor(0).value_or(38);
    const auto ascii = [&](xkb_layout_index_t group) {
        const std::string text = typedText(keymap, keyA, group);
        return text.size() == 1 && text[0] > 0x20;
    };
    if (ascii(active)) return active;
    const xkb_layout_index_t count = xkb_keymap_num_layouts(keymap);
    for (xkb_layout_index_t group = 0; group < count; ++group) {
        if (ascii(group)) return group;
    }
    return active;
}

}  // namespace quorvel::x11
