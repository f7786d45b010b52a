#include "controls/hot_key_manager.h"

#include <string>

#include "controls/menu_bar_item.h"
#include "core/log.h"
#include "look/overlay_style.h"
#include "settings/settings_manager.h"

namespace quorvel::controls {

namespace {

namespace names = settings::notifications;
using settings::FocusMode;

constexpr std::array<HotKeyID, 3> kOrder{HotKeyID::overlay, HotKeyID::focusMode,
                                         HotKeyID::excludeApp};

// Only these four modifiers make a shortcut; anything else in the stored mask is dropped.
constexpr std::uint32_t kModifierMask = settings::modifier::shift | settings::modifier::control |
                                        settings::modifier::option | settings::modifier::command;

}  // namespace

std::optional<HotKeyID> hotKeyID(std::uint32_t raw) {
    if (raw >= 1 && raw <= 3) return static_cast<HotKeyID>(raw);
    return std::nullopt;
}

const char* hotKeyActionName(HotKeyID id) {
    switch (id) {
        case HotKeyID::overlay:
            return "toggle focus";
        case HotKeyID::focusMode:
            return "switch focus mode";
        case HotKeyID::excludeApp:
            return "exclude or include the frontmost application";
    }
    return "";
}

HotKeyManager::HotKeyManager(settings::SettingsManager& settings, look::OverlayStyle& style,
                             MenuBarItem& menuBar, core::NotificationCenter& center,
                             core::Scheduler& scheduler, ports::GlobalHotkeys& hotkeys,
                             const ports::KeyboardLayout& layout,
                             ports::UserNotifications* notifications)
    : settings_(settings),
      style_(style),
      menuBar_(menuBar),
      center_(center),
      scheduler_(scheduler),
      hotkeys_(hotkeys),
      layout_(layout),
      notifications_(notifications) {
    registerHotKeys();
    for (const char* name : {names::shortcutDidChange, names::focusModeShortcutDidChange,
                             names::excludeAppShortcutDidChange}) {
        observations_.emplace_back(center_, name,
                                   [this](const core::Notification&) { registerHotKeys(); });
    }
    observations_.emplace_back(
        center_, names::shortcutRecordingDidChange,
        [this](const core::Notification& n) { shortcutRecordingDidChange(n); });
}

HotKeyManager::~HotKeyManager() {
    unregisterHotKeys();
    observations_.clear();
}

void HotKeyManager::registerHotKeys() {
    unregisterHotKeys();
    hotkeys_.setEventHandler(this);
    handlerInstalled_ = true;
    std::array<std::optional<settings::KeyCombo>, 3> stored;
    for (HotKeyID id : kOrder) {
        std::optional<settings::KeyCombo> combo;
        switch (id) {
            case HotKeyID::overlay:
                combo = settings_.shortcut();
                break;
            case HotKeyID::focusMode:
                combo = settings_.focusModeShortcut();
                break;
            case HotKeyID::excludeApp:
                combo = settings_.excludeAppShortcut();
                break;
        }
        problems_[slot(id)].clear();
        if (!combo) continue;
        const settings::KeyCombo masked{combo->keyCode, combo->modifiers & kModifierMask};
        const auto raw = static_cast<std::uint32_t>(id);
        stored[slot(id)] = masked;
        for (HotKeyID earlier : kOrder) {
            if (earlier == id) break;
            if (stored[slot(earlier)] == masked) {
                problems_[slot(id)] = std::string("same as ") + hotKeyActionName(earlier);
            }
        }
        if (problems_[slot(id)].empty()) {
            if (hotkeys_.grab(raw, masked.keyCode, masked.modifiers)) {
                registered_[slot(id)] = true;
                continue;
            }
            problems_[slot(id)] = hotkeys_.hasKey(masked.keyCode) ? "used by another application"
                                                                  : "no such key on this keyboard";
        }
        reportFailure(id, *combo);
    }
}

void HotKeyManager::reportFailure(HotKeyID id, const settings::KeyCombo& combo) {
    const std::string label = combo.displayString(layout_);
    const std::string line = label + " (" + hotKeyActionName(id) + "): " + problems_[slot(id)];
    core::log("⚠️ Shortcut " + line);
    // Registration runs again after every recording and change: the user
    // hears about one failure once, the tab keeps showing it.
    if (!notifications_ || !notified_.insert(line).second) return;
    ports::UserNotification note{
        "ShortcutUnavailable" + std::to_string(slot(id) + 1), "Shortcut unavailable", label,
        "The shortcut to " + std::string(hotKeyActionName(id)) +
            " does not work: " + problems_[slot(id)] + ". Choose another in Settings, Shortcuts.",
        false};
    ports::UserNotifications* service = notifications_;
    service->requestAuthorization([service, note](std::optional<std::string> error) {
        if (!error) service->post(note);
    });
}

void HotKeyManager::unregisterHotKeys() {
    if (handlerInstalled_) {
        hotkeys_.setEventHandler(nullptr);
        handlerInstalled_ = false;
    }
    for (HotKeyID id : kOrder) {
        if (!registered_[slot(id)]) continue;
        hotkeys_.ungrab(static_cast<std::uint32_t>(id));
        registered_[slot(id)] = false;
    }
}

std::vector<HotKeyID> HotKeyManager::registeredKeys() const {
    std::vector<HotKeyID> keys;
    for (HotKeyID id : kOrder) {
        if (registered_[slot(id)]) keys.push_back(id);
    }
    return keys;
}

void HotKeyManager::shortcutRecordingDidChange(const core::Notification& note) {
    const auto recording = note.value<bool>(names::isRecordingKey);
    if (!recording) return;
    if (*recording) {
        unregisterHotKeys();
    } else {
        registerHotKeys();
    }
}

void HotKeyManager::hotKeyPressed(std::uint32_t id) {
    // Presses are handled on their own turn of the main queue, never inside
    // the event dispatch that delivered them.
    std::weak_ptr<int> alive = alive_;
    scheduler_.async([this, alive, id] {
        if (alive.lock()) handleHotKey(id);
    });
}

bool HotKeyManager::shouldHandle(HotKeyID id) {
    const double now = scheduler_.now();
    auto it = lastEventTimes_.find(id);
    if (it != lastEventTimes_.end() && now - it->second < debounce - 1e-9) return false;
    lastEventTimes_[id] = now;
    return true;
}

void HotKeyManager::handleHotKey(std::uint32_t raw) {
    const auto id = hotKeyID(raw);
    if (!id) return;
    switch (*id) {
        case HotKeyID::overlay:
            if (!shouldHandle(*id)) return;
            menuBar_.setDetecting(!menuBar_.isDetecting());
            center_.post(names::detectionStateDidChange);
            return;
        case HotKeyID::focusMode: {
            if (!shouldHandle(*id)) return;
            if (!settings_.defaults().boolForKey(settings::keys::isOverlayEnabled)) return;
            const FocusMode next =
                style_.focusMode() == FocusMode::ambient ? FocusMode::deep : FocusMode::ambient;
            style_.setFocusMode(next);
            menuBar_.updateModeItems(next);
            settings_.setFocusMode(next);
            return;
        }
        case HotKeyID::excludeApp:
            if (shouldHandle(*id)) menuBar_.toggleForCurrentApp();
            return;
    }
}

}  // namespace quorvel::controls
