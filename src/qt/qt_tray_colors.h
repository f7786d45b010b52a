#pragma once

#include <QColor>
#include <optional>

namespace quorvel::qt {

/// The icon colour the XEmbed tray host asks for (_NET_SYSTEM_TRAY_COLORS on
/// the tray manager window); nothing when there is no such host or it says
/// nothing, or the application does not run on X11.
std::optional<QColor> trayHostForeground();

}  // namespace quorvel::qt
