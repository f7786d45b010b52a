#include "controls/shortcuts.h"

#include "core/log.h"

namespace quorvel::controls {

namespace {

constexpr std::array<ShortcutId, 3> kOrder{ShortcutId::toggle, ShortcutId::mode,
                                           ShortcutId::exclude};

// Only these four modifiers make a shortcut; anything else in the stored mask is dropped.
constexpr std::uint32_t kModifierMask = settings::modifier::shift | settings::modifier::control |
                                        settings::modifier::alt | settings::modifier::super;

}  // namespace

std::optional<ShortcutId> shortcutId(std::uint32_t raw) {
    if (raw >= 1 && raw <= 3) return static_cast<ShortcutId>(raw);
    return std::nullopt;
}

const char* shortcutActionName(ShortcutId id) {
    switch (id) {
        case ShortcutId::toggle:
            return "toggle focus";
        case ShortcutId::mode:
            return "switch focus mode";
        case ShortcutId::exclude:
            return "exclude or include the application in front";
    }
    return "";
}

Shortcuts::Shortcuts(settings::Settings& settings, focus::FocusSession& session,
                     focus::FrontApplication& front, core::Scheduler& scheduler,
                     ports::GlobalShortcuts& desktop, const ports::KeyboardLayout& layout,
                     ports::UserNotifications* notifications)
    : settings_(settings),
      session_(session),
      front_(front),
      scheduler_(scheduler),
      desktop_(desktop),
      layout_(layout),
      notifications_(notifications) {
    grabAll();
    for (core::Signal<>* signal :
         {&settings.toggleShortcut.changed(), &settings.modeShortcut.changed(),
          &settings.excludeShortcut.changed()}) {
        watches_.push_back(signal->connect([this] {
            if (!suspended_) grabAll();
        }));
    }
}

Shortcuts::~Shortcuts() {
    watches_.clear();
    releaseAll();
}

std::optional<settings::KeyCombo> Shortcuts::stored(ShortcutId id) const {
    switch (id) {
        case ShortcutId::toggle:
            return settings_.toggleShortcut.get();
        case ShortcutId::mode:
            return settings_.modeShortcut.get();
        case ShortcutId::exclude:
            return settings_.excludeShortcut.get();
    }
    return std::nullopt;
}

void Shortcuts::grabAll() {
    releaseAll();
    desktop_.setEventHandler(this);
    handlerInstalled_ = true;
    std::array<std::optional<settings::KeyCombo>, 3> masked;
    for (ShortcutId id : kOrder) {
        problems_[slot(id)].clear();
        const auto combo = stored(id);
        if (!combo) continue;
        const settings::KeyCombo key{combo->keyCode, combo->modifiers & kModifierMask};
        masked[slot(id)] = key;
        for (ShortcutId earlier : kOrder) {
            if (earlier == id) break;
            if (masked[slot(earlier)] == key) {
                problems_[slot(id)] = std::string("same as ") + shortcutActionName(earlier);
            }
        }
        if (problems_[slot(id)].empty()) {
            if (desktop_.grab(static_cast<std::uint32_t>(id), key.keyCode, key.modifiers)) {
                grabbed_[slot(id)] = true;
                continue;
            }
            problems_[slot(id)] = desktop_.hasKey(key.keyCode)
                                      ? "taken by the desktop or another application"
                                      : "no such key on this keyboard";
        }
        reportFailure(id, *combo);
    }
    grabsChanged_.emit();
}

void Shortcuts::reportFailure(ShortcutId id, const settings::KeyCombo& combo) {
    const std::string label = combo.displayString(layout_);
    const std::string line = label + " (" + shortcutActionName(id) + "): " + problems_[slot(id)];
    core::log("⚠️ Shortcut " + line);
    // Grabbing runs again after every recording and change: the user hears
    // about one failure once, the Shortcuts tab keeps showing it.
    if (!notifications_ || !notified_.insert(line).second) return;
    ports::UserNotification note{
        "ShortcutUnavailable" + std::to_string(slot(id) + 1), "Shortcut unavailable", label,
        "The shortcut to " + std::string(shortcutActionName(id)) +
            " does not work: " + problems_[slot(id)] + ". Choose another in Settings, Shortcuts.",
        false};
    ports::UserNotifications* service = notifications_;
    service->requestAuthorization([service, note](std::optional<std::string> error) {
        if (!error) service->post(note);
    });
}

void Shortcuts::releaseAll() {
    if (handlerInstalled_) {
        desktop_.setEventHandler(nullptr);
        handlerInstalled_ = false;
    }
    for (ShortcutId id : kOrder) {
        if (!grabbed_[slot(id)]) continue;
        desktop_.ungrab(static_cast<std::uint32_t>(id));
        grabbed_[slot(id)] = false;
    }
}

std::vector<ShortcutId> Shortcuts::grabbed() const {
    std::vector<ShortcutId> keys;
    for (ShortcutId id : kOrder) {
        if (grabbed_[slot(id)]) keys.push_back(id);
    }
    return keys;
}

void Shortcuts::setSuspended(bool suspended) {
    if (suspended == suspended_) return;
    suspended_ = suspended;
    if (suspended) {
        releaseAll();
        grabsChanged_.emit();
    } else {
        grabAll();
    }
}

void Shortcuts::shortcutPressed(std::uint32_t id) {
    // Presses are handled on their own turn of the main queue, never inside
    // the event dispatch that delivered them.
    std::weak_ptr<int> alive = alive_;
    scheduler_.async([this, alive, id] {
        if (alive.lock()) handle(id);
    });
}

bool Shortcuts::shouldHandle(ShortcutId id) {
    const double now = scheduler_.now();
    auto it = lastPress_.find(id);
    if (it != lastPress_.end() && now - it->second < debounce - 1e-9) return false;
    lastPress_[id] = now;
    return true;
}

void Shortcuts::handle(std::uint32_t raw) {
    const auto id = shortcutId(raw);
    if (!id || !shouldHandle(*id)) return;
    switch (*id) {
        case ShortcutId::toggle:
            session_.toggle();
            return;
        case ShortcutId::mode:
            session_.switchMode();
            return;
        case ShortcutId::exclude:
            front_.toggleExcluded();
            return;
    }
}

}  // namespace quorvel::controls
