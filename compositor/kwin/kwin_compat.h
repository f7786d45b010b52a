#pragma once

// Every call here is particular to KWin 5.27 (effect API 0.236); a Plasma 6
// port changes this file only.

#include <kwinconfig.h>
#include <kwineffects.h>

#include <KGlobalAccel>
#include <QAction>
#include <QDBusConnection>
#include <QHash>
#include <QKeySequence>
#include <QVariantMap>
#include <memory>

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

// WORKAROUND(KWin): 5.27's EffectWindow does not know its desktop file name;
// KWin's own D-Bus object (org.kde.KWin at /KWin) tells it in its window info,
// and being in the same process it is asked directly, without the bus.
inline QString desktopFileName(const KWin::EffectWindow* w) {
    QObject* kwin = QDBusConnection::sessionBus().objectRegisteredAt(QStringLiteral("/KWin"));
    QVariantMap info;
    if (!kwin || !QMetaObject::invokeMethod(kwin, "getWindowInfo", Qt::DirectConnection,
                                            Q_RETURN_ARG(QVariantMap, info),
                                            Q_ARG(QString, w->internalId().toString())))
        return {};
    return info.value(QStringLiteral("desktopFile")).toString();
}

// WORKAROUND(KWin): 5.27 signals no new caption to effects. A client that
// retitles its window nearly always repaints it too, so each damage is a
// chance to notice; `changed` runs for a window whose caption differs from
// the one it had at the last call.
template <typename Changed>
inline void watchCaptions(QObject* context, Changed changed) {
    auto captions = std::make_shared<QHash<KWin::EffectWindow*, QString>>();
    QObject::connect(KWin::effects, &KWin::EffectsHandler::windowDamaged, context,
                     [captions, changed](KWin::EffectWindow* w) {
                         QString& known = (*captions)[w];
                         if (known == w->caption()) return;
                         const bool first = known.isNull();
                         known = w->caption();
                         if (!first) changed(w);
                     });
    QObject::connect(KWin::effects, &KWin::EffectsHandler::windowDeleted, context,
                     [captions](KWin::EffectWindow* w) { captions->remove(w); });
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
