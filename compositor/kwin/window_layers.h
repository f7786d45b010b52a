#pragma once

#include <QString>

namespace KWin {
class EffectWindow;
}

namespace quorvel::kwin {

/// The GNOME extension's type names (Meta.WindowType in lower case), which
/// Quorvel already reads; KWin's on-screen displays count as notifications.
QString windowTypeName(const KWin::EffectWindow* w);

/// Mutter's stack layer numbers, for the same reason.
int windowLayer(const KWin::EffectWindow* w);

/// Above the layer of ordinary windows: a covering veil goes below these.
bool aboveNormalLayer(const KWin::EffectWindow* w);

}  // namespace quorvel::kwin
