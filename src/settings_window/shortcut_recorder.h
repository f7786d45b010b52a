#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "core/scheduler.h"
#include "settings/key_combo.h"

namespace quorvel::settings_window {

/// What one key press means to a recorder that is listening.
struct KeyDecision {
    enum class Kind { record, clear, cancel, keepListening };
    Kind kind = Kind::keepListening;
    std::optional<settings::KeyCombo> combo;  // with `record`

    bool operator==(const KeyDecision&) const = default;
};

/// F-keys and the other keys that may stand alone (the arrows among them).
bool isFunctionKey(std::uint32_t keyCode);
/// The modifier keys themselves: Command, Shift, Caps Lock, Option, Control,
/// their right-hand twins and Fn.
bool isModifierKey(std::uint32_t keyCode);
/// The acceptance rules, in the stored key-code and modifier spaces; logs the press.
KeyDecision decideKeyDown(std::uint32_t keyCode, std::uint32_t modifiers);

/// The invisible key catcher behind one shortcut button: while recording it
/// judges every key press and hands the result to its callbacks on the next
/// turn of the main queue, after the key event is done.
class KeyEventRecorder {
public:
    explicit KeyEventRecorder(core::Scheduler& scheduler);
    ~KeyEventRecorder();
    KeyEventRecorder(const KeyEventRecorder&) = delete;
    KeyEventRecorder& operator=(const KeyEventRecorder&) = delete;

    bool isRecording = false;
    /// Nothing means: clear the shortcut.
    std::function<void(std::optional<settings::KeyCombo>)> onRecord;
    std::function<void()> onCancel;

    /// True when the press was taken (only while recording).
    bool keyDown(std::uint32_t keyCode, std::uint32_t modifiers);
    /// Logged only.
    void flagsChanged(std::uint32_t keyCode, std::uint32_t modifiers);

private:
    core::Scheduler& scheduler_;
    std::shared_ptr<KeyEventRecorder*> alive_;
};

}  // namespace quorvel::settings_window
