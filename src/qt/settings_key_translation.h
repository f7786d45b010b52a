#pragma once

#include <QKeyEvent>
#include <cstdint>
#include <optional>

namespace quorvel::qt {

/// The stored key code of a key press: from the X keycode through the same
/// table the global shortcuts use, else (no X keycode, as on the offscreen
/// platform) from Qt's key for the keys a US keyboard names alike.
std::optional<std::uint32_t> storedKeyCode(const QKeyEvent& event);
/// Shift, Control, Alt (option), Super (command) and keypad in the stored
/// modifier space.
std::uint32_t storedModifiers(Qt::KeyboardModifiers modifiers);

}  // namespace quorvel::qt
