#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/notification_center.h"
#include "core/scheduler.h"
#include "ports/global_hotkeys.h"
#include "ports/keyboard_layout.h"
#include "ports/user_notifications.h"

namespace quorvel::settings {
class SettingsManager;
struct KeyCombo;
}  // namespace quorvel::settings
namespace quorvel::look {
class OverlayStyle;
}

namespace quorvel::controls {

class MenuBarItem;

/// The three global shortcuts. The raw value is also the id given to the system.
enum class HotKeyID : std::uint32_t { overlay = 1, focusMode = 2, excludeApp = 3 };

/// Nothing for any number but 1, 2 and 3.
std::optional<HotKeyID> hotKeyID(std::uint32_t raw);
/// What the key does, as the user would name it ("toggle focus", ...).
const char* hotKeyActionName(HotKeyID id);

/// "QUOR" packed big-endian: the signature every key is registered under.
inline constexpr std::uint32_t hotKeySignature = (std::uint32_t('Q') << 24) |
                                                 (std::uint32_t('U') << 16) |
                                                 (std::uint32_t('O') << 8) | std::uint32_t('R');

/// Registers the stored shortcuts system-wide, re-registers them whenever one
/// changes, suspends them while a shortcut is being recorded, debounces each
/// key on its own and forwards presses to the tray item and the overlay style.
class HotKeyManager final : private ports::GlobalHotkeysEvents {
public:
    static constexpr double debounce = 0.3;

    HotKeyManager(settings::SettingsManager& settings, look::OverlayStyle& style,
                  MenuBarItem& menuBar, core::NotificationCenter& center,
                  core::Scheduler& scheduler, ports::GlobalHotkeys& hotkeys,
                  const ports::KeyboardLayout& layout,
                  ports::UserNotifications* notifications = nullptr);
    ~HotKeyManager() override;
    HotKeyManager(const HotKeyManager&) = delete;
    HotKeyManager& operator=(const HotKeyManager&) = delete;

    /// From a clean slate: installs the press handler, then grabs each stored
    /// shortcut in the order overlay, focus mode, exclude app.
    void registerHotKeys();
    /// Removes the handler and every grab.
    void unregisterHotKeys();
    /// Runs one accepted-or-debounced press on the main thread.
    void handleHotKey(std::uint32_t id);

    /// Nothing installed: a shortcut is being recorded.
    bool isSuspended() const { return !handlerInstalled_; }
    /// The keys that are grabbed right now.
    std::vector<HotKeyID> registeredKeys() const;
    /// Why the stored shortcut of `id` could not be grabbed at the last
    /// registration ("used by another application", "same as ...", "no such
    /// key on this keyboard"); empty when it was, or none is stored.
    const std::string& problem(HotKeyID id) const { return problems_[slot(id)]; }

private:
    void hotKeyPressed(std::uint32_t id) override;
    static std::size_t slot(HotKeyID id) { return static_cast<std::size_t>(id) - 1; }
    bool shouldHandle(HotKeyID id);
    void reportFailure(HotKeyID id, const settings::KeyCombo& combo);
    void shortcutRecordingDidChange(const core::Notification& note);

    settings::SettingsManager& settings_;
    look::OverlayStyle& style_;
    MenuBarItem& menuBar_;
    core::NotificationCenter& center_;
    core::Scheduler& scheduler_;
    ports::GlobalHotkeys& hotkeys_;
    const ports::KeyboardLayout& layout_;

    bool handlerInstalled_ = false;
    ports::UserNotifications* notifications_;
    std::array<bool, 3> registered_{};  // by id - 1
    std::array<std::string, 3> problems_;
    std::set<std::string> notified_;  // failures already shown, so each shows once
    std::map<HotKeyID, double> lastEventTimes_;
    std::vector<core::Observation> observations_;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace quorvel::controls
