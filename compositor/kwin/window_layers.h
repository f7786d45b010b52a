#pragma once

#include <QString>

namespace KWin {
class EffectWindow;
}

namespace quorvel::kwin {

/// The interface's type names: "normal", "dialog", "utility", "toolbar",
/// "menu", "splash", "dock", "desktop", "notification" or "other".
QString windowTypeName(const KWin::EffectWindow* w);

/// Kept above ordinary windows by KWin (keep-above, docks, notifications,
/// on-screen displays, popups): a covering veil stays below these.
bool keptAbove(const KWin::EffectWindow* w);

}  // namespace quorvel::kwin
