#include "compositor/client/compositor_shortcuts.h"

#include <xkbcommon/xkbcommon.h>

#include <QString>

#include <algorithm>
#include <array>

#include "settings/key_combo.h"
#include "x11/key_table.h"

namespace quorvel::compositor {

CompositorShortcuts::CompositorShortcuts(CompositorClient& shell,
                                         const ports::KeyboardLayout& layout)
    : shell_(shell), layout_(layout) {
    activated_ = shell_.acceleratorActivated().connect([this](std::uint32_t action) {
        for (const auto& [id, g] : grabs_) {
            if (g.action == action && handler_) return handler_->shortcutPressed(id);
        }
    });
    returned_ = shell_.returned().connect([this] { regrabAll(); });
}

CompositorShortcuts::~CompositorShortcuts() {
    for (const auto& [id, g] : grabs_) shell_.ungrabAccelerator(g.action);
}

std::optional<std::string> acceleratorName(std::uint32_t keyCode, std::uint32_t modifiers,
                                           const ports::KeyboardLayout& layout) {
    const auto keys = x11::keyPositions();
    const auto key = std::find_if(keys.begin(), keys.end(),
                                  [keyCode](const auto& k) { return k.keyCode == keyCode; });
    if (key == keys.end()) return std::nullopt;
    // A key that types one character is named by it; the others (F-keys,
    // arrows) are the same on every layout.
    xkb_keysym_t keysym = key->usKeysym;
    if (const auto typed = layout.characters(keyCode)) {
        const QString text = QString::fromStdString(*typed);
        if (const auto chars = text.toUcs4(); chars.size() == 1) {
            const xkb_keysym_t named = xkb_utf32_to_keysym(chars.front());
            if (named != XKB_KEY_NoSymbol) keysym = named;
        }
    }
    std::array<char, 64> name{};
    if (xkb_keysym_get_name(keysym, name.data(), name.size()) <= 0) return std::nullopt;
    namespace mod = settings::modifier;
    std::string text;
    if (modifiers & mod::shift) text += "<Shift>";
    if (modifiers & mod::control) text += "<Control>";
    if (modifiers & mod::alt) text += "<Alt>";
    if (modifiers & mod::super) text += "<Super>";
    return text + name.data();
}

bool CompositorShortcuts::hasKey(std::uint32_t keyCode) const {
    return acceleratorName(keyCode, 0, layout_).has_value();
}

bool CompositorShortcuts::grab(std::uint32_t id, std::uint32_t keyCode, std::uint32_t modifiers) {
    ungrab(id);
    const auto accel = acceleratorName(keyCode, modifiers, layout_);
    if (!accel) return false;
    for (const auto& [otherId, other] : grabs_) {
        if (other.keyCode == keyCode && other.modifiers == modifiers) return false;
    }
    const std::uint32_t action = shell_.grabAccelerator(*accel);
    if (action == 0) return false;
    grabs_[id] = Grab{keyCode, modifiers, action};
    return true;
}

void CompositorShortcuts::ungrab(std::uint32_t id) {
    const auto it = grabs_.find(id);
    if (it == grabs_.end()) return;
    shell_.ungrabAccelerator(it->second.action);
    grabs_.erase(it);
}

void CompositorShortcuts::regrabAll() {
    // The shell that came back knows none of the old actions.
    for (auto& [id, g] : grabs_) {
        if (const auto accel = acceleratorName(g.keyCode, g.modifiers, layout_))
            g.action = shell_.grabAccelerator(*accel);
    }
}

}  // namespace quorvel::compositor
