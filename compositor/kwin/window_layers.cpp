#include "window_layers.h"

#include "kwin_compat.h"

namespace quorvel::kwin {

QString windowTypeName(const KWin::EffectWindow* w) {
    if (w->isDesktop()) return QStringLiteral("desktop");
    if (w->isDock()) return QStringLiteral("dock");
    if (w->isNotification() || w->isCriticalNotification() || w->isOnScreenDisplay())
        return QStringLiteral("notification");
    if (w->isSplash()) return QStringLiteral("splash");
    if (w->isToolbar()) return QStringLiteral("toolbar");
    if (w->isUtility()) return QStringLiteral("utility");
    if (w->isMenu() || w->isDropdownMenu() || w->isPopupMenu()) return QStringLiteral("menu");
    if (w->isDialog()) return QStringLiteral("dialog");
    if (w->isNormalWindow()) return QStringLiteral("normal");
    return QStringLiteral("other");
}

bool keptAbove(const KWin::EffectWindow* w) {
    if (w->isDesktop()) return false;
    return w->keepAbove() || w->isDock() || w->isNotification() || w->isCriticalNotification() ||
           w->isOnScreenDisplay() || w->isTooltip() || w->isDNDIcon() || w->isComboBox() ||
           w->isDropdownMenu() || w->isPopupMenu() || w->isPopupWindow() || !w->isManaged();
}

}  // namespace quorvel::kwin
