#include "shortcuts.h"

#include <QAction>
#include <utility>

#include "accelerator.h"
#include "kwin_compat.h"

namespace quorvel::kwin {

namespace {

// KGlobalAccel passes every key repeat on as another press: on Wayland
// presses while the keys are held, on X11 a release and a press at once.
// The first repeat comes after the keyboard's repeat delay (600 ms by default).
constexpr qint64 repeatDelayMs = 1000;
constexpr qint64 repeatGapMs = 50;

}  // namespace

Shortcuts::Shortcuts(QObject* parent) : QObject(parent) {
    clock_.start();
    connect(KGlobalAccel::self(), &KGlobalAccel::globalShortcutActiveChanged, this,
            [this](QAction* action, bool active) {
                if (!active) keyReleased(action);
            });
}

Shortcuts::~Shortcuts() {
    for (quint32 action : grabs_.keys()) release(action);
}

quint32 Shortcuts::grab(const QString& owner, const Accelerator& accelerator, const QString& text) {
    const QKeySequence sequence = accelerator.sequence();
    if (sequence.isEmpty()) return 0;
    const quint32 id = nextAction_++;
    auto grab = std::make_shared<Grab>();
    grab->owner = owner;
    grab->action = std::make_unique<QAction>();
    // KGlobalAccel keys its registry on the object name; a fixed prefix keeps
    // Quorvel's entries together in KDE's shortcut settings.
    grab->action->setObjectName(QStringLiteral("quorvel-%1").arg(id));
    grab->action->setText(QStringLiteral("Quorvel %1").arg(text));
    if (!compat::registerShortcut(grab->action.get(), sequence)) {
        compat::unregisterShortcut(grab->action.get());
        return 0;
    }
    connect(grab->action.get(), &QAction::triggered, this, [this, id] { pressed(id); });
    grabs_.insert(id, std::move(grab));
    return id;
}

bool Shortcuts::ungrab(const QString& owner, quint32 action) {
    const auto it = grabs_.constFind(action);
    if (it == grabs_.cend() || (*it)->owner != owner) return false;
    release(action);
    return true;
}

void Shortcuts::dropOwner(const QString& owner) {
    for (quint32 action : grabs_.keys()) {
        if (grabs_.value(action)->owner == owner) release(action);
    }
}

int Shortcuts::count(const QString& owner) const {
    int n = 0;
    for (const auto& grab : grabs_) n += grab->owner == owner ? 1 : 0;
    return n;
}

void Shortcuts::pressed(quint32 action) {
    const std::shared_ptr<Grab> grab = grabs_.value(action);
    if (!grab) return;
    // A held combination acts once. Should KWin never report the release,
    // a press after the repeat delay still counts.
    const qint64 now = clock_.elapsed();
    const bool repeat = now - grab->lastKey < (grab->held ? repeatDelayMs : repeatGapMs);
    grab->held = true;
    grab->lastKey = now;
    if (!repeat) Q_EMIT activated(action);
}

void Shortcuts::keyReleased(QAction* action) {
    for (const auto& grab : std::as_const(grabs_)) {
        if (grab->action.get() != action) continue;
        grab->held = false;
        grab->lastKey = clock_.elapsed();
    }
}

void Shortcuts::release(quint32 action) {
    const std::shared_ptr<Grab> grab = grabs_.take(action);
    if (grab) compat::unregisterShortcut(grab->action.get());
}

}  // namespace quorvel::kwin
