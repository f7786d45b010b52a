#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/geometry.h"

namespace quorvel::ports {

/// The layer numbers the window types and states map to, as the behaviour
/// reads them.
namespace layer {
inline constexpr std::int32_t desktop = -2147483623;
inline constexpr std::int32_t below = -1;
inline constexpr std::int32_t normal = 0;
inline constexpr std::int32_t floating = 3;  // keep-above, utility and toolbar windows
inline constexpr std::int32_t dock = 20;
inline constexpr std::int32_t notification = 25;
inline constexpr std::int32_t popUpMenu = 101;  // menus and unmanaged pop-ups
inline constexpr std::int32_t tooltip = 102;
inline constexpr std::int32_t dragging = 500;
}  // namespace layer

/// One on-screen window as the window list reports it. Every field may be
/// missing; the behaviour skips what it cannot read.
struct RawWindow {
    std::optional<std::string> ownerName;
    std::optional<std::int32_t> layer;  // 0 ordinary, 3 floating, 20 dock, negative desktop
    std::optional<std::int64_t> windowNumber;
    std::optional<core::Rect> bounds;  // top-left origin, global coordinates
    std::optional<std::string> title;
    bool fullscreen = false;  // the window asks to fill its monitor (_NET_WM_STATE_FULLSCREEN)
};

enum class WindowListOption {
    OnScreenOnly,                  // every on-screen window, desktop windows included
    OnScreenOnlyExcludingDesktop,  // the same without desktop (wallpaper) windows
};

/// The window server's list of on-screen windows.
class WindowList {
public:
    virtual ~WindowList() = default;
    /// Called every tick; front to back, an empty list when the list cannot be had.
    virtual std::vector<RawWindow> onScreenWindows(WindowListOption option) = 0;
    /// Called by the poller (null to stop); `onChange` runs whenever the list may have changed.
    virtual void setChangeHandler(std::function<void()> onChange) { (void)onChange; }
};

}  // namespace quorvel::ports
