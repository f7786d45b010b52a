#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "ports/global_shortcuts.h"

namespace quorvel::sim {

/// A global shortcut service: other applications may hold combinations, and
/// the test presses keys the way a user would.
class SimGlobalShortcuts final : public ports::GlobalShortcuts {
public:
    struct Grab {
        std::uint32_t id = 0;
        std::uint32_t keyCode = 0;
        std::uint32_t modifiers = 0;
        bool operator==(const Grab&) const = default;
    };

    bool grab(std::uint32_t id, std::uint32_t keyCode, std::uint32_t modifiers) override;
    void ungrab(std::uint32_t id) override { grabs_.erase(id); }
    void setEventHandler(ports::GlobalShortcutEvents* handler) override { handler_ = handler; }
    bool hasKey(std::uint32_t keyCode) const override { return !missing_.contains(keyCode); }

    // Control surface.
    /// Another client holds this combination: grabbing it fails.
    void takeByOtherApplication(std::uint32_t keyCode, std::uint32_t modifiers) {
        taken_.insert({keyCode, modifiers});
    }
    /// This keyboard has no such key: grabbing it fails.
    void removeKey(std::uint32_t keyCode) { missing_.insert(keyCode); }
    /// The user presses a combination. True when a grab caught it and a handler
    /// was installed (the press then went to the handler, not to the focused window).
    bool press(std::uint32_t keyCode, std::uint32_t modifiers);

    /// Grabs currently held, by id.
    const std::map<std::uint32_t, Grab>& grabs() const { return grabs_; }
    /// Every successful grab call, in order.
    const std::vector<Grab>& grabLog() const { return grabLog_; }
    bool hasHandler() const { return handler_ != nullptr; }

private:
    std::map<std::uint32_t, Grab> grabs_;
    std::vector<Grab> grabLog_;
    std::set<std::pair<std::uint32_t, std::uint32_t>> taken_;
    std::set<std::uint32_t> missing_;
    ports::GlobalShortcutEvents* handler_ = nullptr;
};

}  // namespace quorvel::sim
