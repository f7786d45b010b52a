#pragma once

// Every difference between the KWin versions the effect is built for (5.27,
// 6.3, 6.7) lives in the kwin_compat*.h files; the rest of the effect is
// written once. QUORVEL_KWIN_VERSION comes from the build: 0xMMmmpp.

#define QUORVEL_KWIN_AT_LEAST(major, minor) \
    (QUORVEL_KWIN_VERSION >= (((major) << 16) | ((minor) << 8)))

#if QUORVEL_KWIN_AT_LEAST(6, 0)
#include <config-kwin.h>
#include <effect/effect.h>
#include <effect/effecthandler.h>
#include <effect/effectwindow.h>
#include <window.h>
#else
#include <kwinconfig.h>
#include <kwineffects.h>
#endif

#include <KGlobalAccel>
#include <QAction>
#include <QDBusConnection>
#include <QKeySequence>
#include <QVariantMap>

namespace quorvel::kwin::compat {

#if QUORVEL_KWIN_AT_LEAST(6, 7)
using Screen = KWin::LogicalOutput;
#elif QUORVEL_KWIN_AT_LEAST(6, 0)
using Screen = KWin::Output;
#else
using Screen = KWin::EffectScreen;
#endif

inline QString compositorVersion() {
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

inline QRect geometry(const Screen* screen) {
    return QRect(screen->geometry());
}

inline QRect workArea(const Screen* screen) {
#if QUORVEL_KWIN_AT_LEAST(6, 7)
    return QRectF(KWin::effects->clientArea(KWin::MaximizeArea, screen)).toRect();
#else
    return KWin::effects->clientArea(KWin::MaximizeArea, screen, KWin::effects->currentDesktop())
        .toRect();
#endif
}

inline QRect frameGeometry(const KWin::EffectWindow* w) {
    return QRectF(w->frameGeometry()).toRect();
}

inline QPoint cursorPos() {
    return QPointF(KWin::effects->cursorPos()).toPoint();
}

/// The current virtual desktop, counted from 0.
inline int currentDesktop() {
#if QUORVEL_KWIN_AT_LEAST(6, 0)
    return int(KWin::effects->desktops().indexOf(KWin::effects->currentDesktop()));
#else
    return KWin::effects->currentDesktop() - 1;
#endif
}

inline QString desktopFileName(const KWin::EffectWindow* w) {
#if QUORVEL_KWIN_AT_LEAST(6, 0)
    return w->window() ? w->window()->desktopFileName() : QString();
#else
    // WORKAROUND(KWin 5.27): EffectWindow does not know its desktop file
    // name; KWin's own D-Bus object (org.kde.KWin at /KWin) tells it in its
    // window info, and being in the same process it is asked directly.
    QObject* kwin = QDBusConnection::sessionBus().objectRegisteredAt(QStringLiteral("/KWin"));
    QVariantMap info;
    if (!kwin || !QMetaObject::invokeMethod(kwin, "getWindowInfo", Qt::DirectConnection,
                                            Q_RETURN_ARG(QVariantMap, info),
                                            Q_ARG(QString, w->internalId().toString())))
        return {};
    return info.value(QStringLiteral("desktopFile")).toString();
#endif
}

/// KWin takes effects' global shortcuts through KGlobalAccel under its own
/// component; false when the sequence is taken by any shortcut (KWin's own
/// included, which asking for the "kwin" component would leave out).
inline bool registerShortcut(QAction* action, const QKeySequence& sequence) {
    action->setProperty("componentName", QStringLiteral("kwin"));
    if (!KGlobalAccel::isGlobalShortcutAvailable(sequence)) return false;
    return KGlobalAccel::self()->setShortcut(action, {sequence}, KGlobalAccel::NoAutoloading) &&
           KGlobalAccel::self()->shortcut(action).contains(sequence);
}

inline void unregisterShortcut(QAction* action) {
    KGlobalAccel::self()->removeAllShortcuts(action);
}

}  // namespace quorvel::kwin::compat
