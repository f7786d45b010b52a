#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <utility>

#include "ports/global_shortcuts.h"

namespace quorvel::sim {

/// A global shortcut service: other applications may hold combinations, and
/// the test presses keys the way a user would.
class SimGlobalShortcuts final : public ports::GlobalShortcuts {
public:
    using Combo = std::pair<std::uint32_t, std::uint32_t>;  // key code, modifiers

    bool grab(std::uint32_t id, std::uint32_t keyCode, std::uint32_t modifiers) override {
        const Combo combo{keyCode, modifiers};
        if (taken_.contains(combo)) return false;
        for (const auto& [otherId, held] : grabs_) {
            if (otherId != id && held == combo) return false;
        }
        grabs_[id] = combo;
        return true;
    }
    void ungrab(std::uint32_t id) override { grabs_.erase(id); }
    void setEventHandler(ports::GlobalShortcutEvents* handler) override { handler_ = handler; }
    bool hasKey(std::uint32_t) const override { return true; }

    /// Another client holds this combination: grabbing it fails.
    void takeByOtherApplication(std::uint32_t keyCode, std::uint32_t modifiers) {
        taken_.insert({keyCode, modifiers});
    }
    /// The user presses a combination. True when a grab caught it and a handler
    /// was installed (the press then went to the handler, not to the focused window).
    bool press(std::uint32_t keyCode, std::uint32_t modifiers) {
        for (const auto& [id, held] : grabs_) {
            if (held != Combo{keyCode, modifiers} || !handler_) continue;
            handler_->shortcutPressed(id);
            return true;
        }
        return false;
    }
    /// Grabs currently held, by id.
    const std::map<std::uint32_t, Combo>& grabs() const { return grabs_; }

private:
    std::map<std::uint32_t, Combo> grabs_;
    std::set<Combo> taken_;
    ports::GlobalShortcutEvents* handler_ = nullptr;
};

}  // namespace quorvel::sim
