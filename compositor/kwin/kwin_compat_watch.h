#pragma once

// Which of KWin's signals tell what the desktop state depends on, in each
// version: KWin 6 moved the per-window ones to EffectWindow.

#include "kwin_compat.h"

namespace quorvel::kwin::compat {

/// Calls `began` when a desktop switch starts (by key, by script or by a
/// gesture) and `cancelled` when a gesture gives it up.
template <typename Began, typename Cancelled>
void watchDesktopSwitches(QObject* context, Began began, Cancelled cancelled) {
    auto* e = KWin::effects;
#if QUORVEL_KWIN_AT_LEAST(6, 0)
    QObject::connect(e, &KWin::EffectsHandler::desktopChanged, context, began);
#else
    QObject::connect(
        e, qOverload<int, int, KWin::EffectWindow*>(&KWin::EffectsHandler::desktopChanged), context,
        began);
#endif
    QObject::connect(e, &KWin::EffectsHandler::desktopChanging, context, began);
    QObject::connect(e, &KWin::EffectsHandler::desktopChangingCancelled, context, cancelled);
}

/// Calls `changed` whenever a window moves, resizes, is minimised or
/// restored, changes desktops, fullscreen or keep-above.
template <typename Changed>
void watchWindow(QObject* context, KWin::EffectWindow* w, Changed changed) {
#if QUORVEL_KWIN_AT_LEAST(6, 0)
    using W = KWin::EffectWindow;
    QObject::connect(w, &W::windowFrameGeometryChanged, context, changed);
    QObject::connect(w, &W::minimizedChanged, context, changed);
    QObject::connect(w, &W::windowKeepAboveChanged, context, changed);
    QObject::connect(w, &W::windowFullScreenChanged, context, changed);
    QObject::connect(w, &W::windowDesktopsChanged, context, changed);
    QObject::connect(w, &W::windowHiddenChanged, context, changed);
#else
    Q_UNUSED(context)
    Q_UNUSED(w)
    Q_UNUSED(changed)  // KWin 5.27 tells of every window at once: see watchAllWindows
#endif
}

template <typename Changed>
void watchAllWindows(QObject* context, Changed changed) {
#if !QUORVEL_KWIN_AT_LEAST(6, 0)
    using E = KWin::EffectsHandler;
    auto* e = KWin::effects;
    QObject::connect(e, &E::windowFrameGeometryChanged, context, changed);
    QObject::connect(e, &E::windowMinimized, context, changed);
    QObject::connect(e, &E::windowUnminimized, context, changed);
    QObject::connect(e, &E::windowKeepAboveChanged, context, changed);
    QObject::connect(e, &E::windowFullScreenChanged, context, changed);
    QObject::connect(e, &E::windowShown, context, changed);
    QObject::connect(e, &E::windowHidden, context, changed);
    QObject::connect(e, &E::desktopPresenceChanged, context, changed);
#else
    Q_UNUSED(context)
    Q_UNUSED(changed)  // KWin 6 tells window by window: see watchWindow
#endif
}

}  // namespace quorvel::kwin::compat
