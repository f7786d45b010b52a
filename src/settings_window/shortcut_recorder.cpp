#include "settings_window/shortcut_recorder.h"

#include <string>

#include "core/log.h"
#include "settings/key_codes.h"

namespace quorvel::settings_window {

namespace {
constexpr std::uint32_t kModifierKeysFirst = 54;
constexpr std::uint32_t kModifierKeysLast = 63;
// The low half of the flags names device-specific keys (left or right
// Control, ...); a shortcut keeps only what does not depend on the device.
constexpr std::uint32_t kDeviceIndependentMask = 0xFFFF0000u;

std::string describe(std::uint32_t keyCode, std::uint32_t modifiers) {
    return "keyCode=" + std::to_string(keyCode) + ", modifiers=" + std::to_string(modifiers);
}
}  // namespace

bool isFunctionKey(std::uint32_t keyCode) {
    return (keyCode >= 96 && keyCode <= 111) || (keyCode >= 122 && keyCode <= 127);
}

bool isModifierKey(std::uint32_t keyCode) {
    return keyCode >= kModifierKeysFirst && keyCode <= kModifierKeysLast;
}

KeyDecision decideKeyDown(std::uint32_t keyCode, std::uint32_t modifiers) {
    using Kind = KeyDecision::Kind;
    core::log("Key down received: " + describe(keyCode, modifiers));
    if (keyCode == settings::keycode::deleteKey) return {Kind::clear, std::nullopt};
    if (keyCode == settings::keycode::escape) return {Kind::cancel, std::nullopt};
    if (isModifierKey(keyCode)) return {};
    const bool commandOrControl =
        modifiers & (settings::modifier::super | settings::modifier::control);
    if (!commandOrControl && !isFunctionKey(keyCode)) return {};
    return {Kind::record, settings::KeyCombo{keyCode, modifiers & kDeviceIndependentMask}};
}

KeyEventRecorder::KeyEventRecorder(core::Scheduler& scheduler)
    : scheduler_(scheduler), alive_(std::make_shared<KeyEventRecorder*>(this)) {}

KeyEventRecorder::~KeyEventRecorder() {
    *alive_ = nullptr;
}

bool KeyEventRecorder::keyDown(std::uint32_t keyCode, std::uint32_t modifiers) {
    if (!isRecording) return false;
    const KeyDecision decision = decideKeyDown(keyCode, modifiers);
    if (decision.kind == KeyDecision::Kind::keepListening) return true;
    std::weak_ptr<KeyEventRecorder*> weak = alive_;
    scheduler_.async([weak, decision] {
        auto alive = weak.lock();
        if (!alive || !*alive) return;
        KeyEventRecorder& self = **alive;
        if (decision.kind == KeyDecision::Kind::cancel) {
            if (self.onCancel) self.onCancel();
        } else if (self.onRecord) {
            self.onRecord(decision.combo);
        }
    });
    return true;
}

void KeyEventRecorder::flagsChanged(std::uint32_t keyCode, std::uint32_t modifiers) {
    if (!isRecording) return;
    core::log("Flags changed: " + describe(keyCode, modifiers));
}

}  // namespace quorvel::settings_window
