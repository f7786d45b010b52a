#include "qt/settings_key_translation.h"

#include <array>
#include <utility>

#include "settings/key_codes.h"
#include "settings/key_combo.h"
#include "x11/key_table.h"

namespace quorvel::qt {

namespace {
namespace keycode = settings::keycode;

// The stored space's numeric-pad bit.
constexpr std::uint32_t kNumericPad = 1u << 21;

constexpr std::array<std::pair<int, std::uint32_t>, 14> kNamedKeys{{
    {Qt::Key_Return, keycode::returnKey},
    {Qt::Key_Tab, keycode::tab},
    {Qt::Key_Space, keycode::space},
    {Qt::Key_Backspace, keycode::deleteKey},
    {Qt::Key_Escape, keycode::escape},
    {Qt::Key_Insert, keycode::help},
    {Qt::Key_Home, keycode::home},
    {Qt::Key_PageUp, keycode::pageUp},
    {Qt::Key_Delete, keycode::forwardDelete},
    {Qt::Key_End, keycode::end},
    {Qt::Key_PageDown, keycode::pageDown},
    {Qt::Key_Left, keycode::leftArrow},
    {Qt::Key_Right, keycode::rightArrow},
    {Qt::Key_Down, keycode::downArrow},
}};

std::optional<std::uint32_t> fromQtKey(int key) {
    if (key == Qt::Key_Up) return keycode::upArrow;
    for (const auto& [qtKey, code] : kNamedKeys) {
        if (qtKey == key) return code;
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) {
        return keycode::functionKeys[static_cast<std::size_t>(key - Qt::Key_F1)];
    }
    if (key >= 0x20 && key < 0x7f) {
        char c = static_cast<char>(key);
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (auto ansi = keycode::ansiKeyForCharacter(c)) return ansi->keyCode;
    }
    return std::nullopt;
}
}  // namespace

std::optional<std::uint32_t> storedKeyCode(const QKeyEvent& event) {
    const quint32 scanCode = event.nativeScanCode();
    if (scanCode > 0 && scanCode < 256) {
        if (auto code = x11::keyCodeForXKeycode(static_cast<std::uint8_t>(scanCode))) return code;
    }
    return fromQtKey(event.key());
}

std::uint32_t storedModifiers(Qt::KeyboardModifiers modifiers) {
    namespace modifier = settings::modifier;
    std::uint32_t flags = 0;
    if (modifiers & Qt::ShiftModifier) flags |= modifier::shift;
    if (modifiers & Qt::ControlModifier) flags |= modifier::control;
    if (modifiers & Qt::AltModifier) flags |= modifier::alt;
    if (modifiers & Qt::MetaModifier) flags |= modifier::super;
    if (modifiers & Qt::KeypadModifier) flags |= kNumericPad;
    return flags;
}

}  // namespace quorvel::qt
