#include "sim/sim_global_shortcuts.h"

namespace quorvel::sim {

bool SimGlobalShortcuts::grab(std::uint32_t id, std::uint32_t keyCode, std::uint32_t modifiers) {
    if (taken_.count({keyCode, modifiers}) || missing_.contains(keyCode)) return false;
    for (const auto& [otherId, g] : grabs_) {
        if (otherId != id && g.keyCode == keyCode && g.modifiers == modifiers) return false;
    }
    Grab g{id, keyCode, modifiers};
    grabs_[id] = g;
    grabLog_.push_back(g);
    return true;
}

bool SimGlobalShortcuts::press(std::uint32_t keyCode, std::uint32_t modifiers) {
    for (const auto& [id, g] : grabs_) {
        if (g.keyCode != keyCode || g.modifiers != modifiers) continue;
        if (!handler_) return false;
        handler_->shortcutPressed(id);
        return true;
    }
    return false;
}

}  // namespace quorvel::sim
