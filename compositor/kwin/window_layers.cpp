#include "window_layers.h"

#include <kwineffects.h>

namespace quorvel::kwin {
namespace {

// Meta.StackLayer
constexpr int desktopLayer = 0;
constexpr int bottomLayer = 1;
constexpr int normalLayer = 2;
constexpr int topLayer = 4;
constexpr int dockLayer = 6;
constexpr int overrideRedirectLayer = 7;

bool floatsOnTop(const KWin::EffectWindow* w) {
    return w->isNotification() || w->isCriticalNotification() || w->isOnScreenDisplay() ||
           w->isTooltip() || w->isDNDIcon() || w->isComboBox() || w->isDropdownMenu() ||
           w->isPopupMenu() || w->isPopupWindow() || !w->isManaged();
}

}  // namespace

QString windowTypeName(const KWin::EffectWindow* w) {
    if (w->isDesktop()) return QStringLiteral("desktop");
    if (w->isDock()) return QStringLiteral("dock");
    if (w->isNotification() || w->isCriticalNotification() || w->isOnScreenDisplay())
        return QStringLiteral("notification");
    if (w->isTooltip()) return QStringLiteral("tooltip");
    if (w->isDNDIcon()) return QStringLiteral("dnd");
    if (w->isComboBox()) return QStringLiteral("combo");
    if (w->isDropdownMenu()) return QStringLiteral("dropdown_menu");
    if (w->isPopupMenu()) return QStringLiteral("popup_menu");
    if (w->isMenu()) return QStringLiteral("menu");
    if (w->isSplash()) return QStringLiteral("splash");
    if (w->isToolbar()) return QStringLiteral("toolbar");
    if (w->isUtility()) return QStringLiteral("utility");
    if (w->isDialog())
        return w->isModal() ? QStringLiteral("modal_dialog") : QStringLiteral("dialog");
    if (!w->isManaged()) return QStringLiteral("override_other");
    return QStringLiteral("normal");
}

int windowLayer(const KWin::EffectWindow* w) {
    if (w->isDesktop()) return desktopLayer;
    if (floatsOnTop(w)) return overrideRedirectLayer;
    if (w->isDock()) return dockLayer;
    if (w->keepAbove()) return topLayer;
    if (w->keepBelow()) return bottomLayer;
    return normalLayer;
}

bool aboveNormalLayer(const KWin::EffectWindow* w) {
    return windowLayer(w) > normalLayer;
}

}  // namespace quorvel::kwin
