// A stored shortcut (the bytes kept under a shortcut key of the settings
// file) as the program decodes and names it, and the case mapping that names
// keys and sorts application names, on the same bytes as text.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/preference_store.h"
#include "settings/key_combo.h"
#include "sim/sim_keyboard_layout.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quorvel;
    static const sim::SimKeyboardLayout layout = sim::SimKeyboardLayout::usLayout();
    const core::Bytes bytes(data, data + size);
    if (const auto combo = settings::KeyCombo::decode(bytes)) {
        // What is written back must read as the same shortcut.
        if (settings::KeyCombo::decode(combo->encode()) != combo) __builtin_trap();
        (void)combo->displayString(layout);
    }
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    (void)settings::upperCased(text);
    (void)settings::lowerCased(text);
    return 0;
}
