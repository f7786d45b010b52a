#pragma once

// Every call here is particular to KWin 5.27 (effect API 0.236); a Plasma 6
// port changes this file only.

#include <kwinconfig.h>
#include <kwineffects.h>

#include <KGlobalAccel>
#include <QAction>
#include <QKeySequence>

namespace quorvel::kwin::compat {

inline QString shellVersion() {
    return QStringLiteral(KWIN_PLUGIN_VERSION_STRING);
}

inline bool isWayland() {
    return KWin::effects->waylandDisplay() != nullptr;
}

/// KWin's overview, window view, desktop grid and tile editor are all
/// full-screen QML scenes; the desktop slide also takes the full screen but
/// is only a transition, so it does not count.
inline bool overviewActive() {
    const KWin::Effect* effect = KWin::effects->activeFullScreenEffect();
    return effect && effect->inherits("KWin::QuickSceneEffect");
}

inline QRect workArea(const KWin::EffectScreen* screen) {
    return KWin::effects->clientArea(KWin::MaximizeArea, screen, KWin::effects->currentDesktop())
        .toRect();
}

// WORKAROUND(KWin): 5.27's EffectWindow offers neither the desktop file name
// nor a signal for a new caption; its QObject parent is the compositor's own
// window object, which has both as meta-object property and signal.
inline QString desktopFileName(const KWin::EffectWindow* w) {
    const QObject* window = w->parent();
    return window ? window->property("desktopFileName").toString() : QString();
}

inline void onCaptionChanged(KWin::EffectWindow* w, QObject* receiver, const char* slot) {
    QObject* window = w->parent();
    if (!window || window->metaObject()->indexOfSignal("captionChanged()") < 0) return;
    QObject::connect(window, SIGNAL(captionChanged()), receiver, slot);
}

/// KWin 5.27 takes effects' global shortcuts through KGlobalAccel under its
/// own component; false when the sequence is taken by another shortcut.
inline bool registerShortcut(QAction* action, const QKeySequence& sequence) {
    action->setProperty("componentName", QStringLiteral("kwin"));
    if (!KGlobalAccel::isGlobalShortcutAvailable(sequence, QStringLiteral("kwin"))) return false;
    return KGlobalAccel::self()->setShortcut(action, {sequence}, KGlobalAccel::NoAutoloading);
}

inline void unregisterShortcut(QAction* action) {
    KGlobalAccel::self()->removeAllShortcuts(action);
}

}  // namespace quorvel::kwin::compat
