#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/scheduler.h"
#include "focus/focus_session.h"
#include "focus/front_application.h"
#include "ports/global_shortcuts.h"
#include "ports/keyboard_layout.h"
#include "ports/user_notifications.h"
#include "settings/settings.h"

namespace quorvel::controls {

/// The three global shortcuts. The raw value is also the id given to the desktop.
enum class ShortcutId : std::uint32_t { toggle = 1, mode = 2, exclude = 3 };

/// Nothing for any number but 1, 2 and 3.
std::optional<ShortcutId> shortcutId(std::uint32_t raw);
/// What the key does, as the user would name it ("toggle focus", ...).
const char* shortcutActionName(ShortcutId id);

/// Grabs the stored shortcuts desktop-wide, again whenever one of them
/// changes, lets them go while a shortcut is being recorded, debounces each
/// key on its own, and acts through the focus session and the application in front.
class Shortcuts final : private ports::GlobalShortcutEvents {
public:
    static constexpr double debounce = 0.3;

    Shortcuts(settings::Settings& settings, focus::FocusSession& session,
              focus::FrontApplication& front, core::Scheduler& scheduler,
              ports::GlobalShortcuts& desktop, const ports::KeyboardLayout& layout,
              ports::UserNotifications* notifications = nullptr);
    ~Shortcuts() override;
    Shortcuts(const Shortcuts&) = delete;
    Shortcuts& operator=(const Shortcuts&) = delete;

    /// While a shortcut is recorded every grab is let go, so the keys reach the recorder.
    void setSuspended(bool suspended);
    bool isSuspended() const { return suspended_; }
    /// Runs one press (after the debounce) on the main thread.
    void handle(std::uint32_t id);
    /// The keys that are grabbed right now.
    std::vector<ShortcutId> grabbed() const;
    /// Why the stored shortcut of `id` could not be grabbed at the last try
    /// ("taken by the desktop or another application", "same as ...", "no such key on this
    /// keyboard"); empty when it was, or none is stored.
    const std::string& problem(ShortcutId id) const { return problems_[slot(id)]; }
    /// After every grab (the Shortcuts tab shows the problems).
    core::Signal<>& grabsChanged() { return grabsChanged_; }

private:
    void grabAll();
    void releaseAll();
    void shortcutPressed(std::uint32_t id) override;
    static std::size_t slot(ShortcutId id) { return static_cast<std::size_t>(id) - 1; }
    std::optional<settings::KeyCombo> stored(ShortcutId id) const;
    bool shouldHandle(ShortcutId id);
    void reportFailure(ShortcutId id, const settings::KeyCombo& combo);

    settings::Settings& settings_;
    focus::FocusSession& session_;
    focus::FrontApplication& front_;
    core::Scheduler& scheduler_;
    ports::GlobalShortcuts& desktop_;
    const ports::KeyboardLayout& layout_;
    ports::UserNotifications* notifications_;
    bool suspended_ = false;
    bool handlerInstalled_ = false;
    std::array<bool, 3> grabbed_{};  // by id - 1
    std::array<std::string, 3> problems_;
    std::set<std::string> notified_;  // failures already shown, so each shows once
    std::map<ShortcutId, double> lastPress_;
    std::vector<core::Connection> watches_;
    core::Signal<> grabsChanged_;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace quorvel::controls
