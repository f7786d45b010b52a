#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/geometry.h"
#include "ports/screens.h"
#include "ports/window_list.h"

namespace quorvel::compositor {

/// One monitor as the compositor reports it, in its coordinates
/// (logical pixels, top-left origin).
struct CompositorMonitor {
    int index = 0;
    core::Rect frame;
    core::Rect workArea;
    bool primary = false;
    bool operator==(const CompositorMonitor&) const = default;
};

/// One window as the extension lists it.
struct CompositorWindow {
    std::uint64_t id = 0;
    std::optional<std::string> app;  // desktop-file id
    std::optional<std::string> appName;
    std::optional<std::int64_t> pid;
    std::optional<std::string> wmClass;
    std::optional<std::string> title;
    core::Rect frame;
    int monitor = -1;
    std::string type = "normal";
    int layer = 2;
    bool minimized = false;
    bool fullscreen = false;
    bool above = false;
};

/// The desktop in one reading of the extension's GetState.
struct CompositorState {
    std::string shellVersion;
    std::string session;  // "wayland" or "x11"
    int workspace = 0;
    bool overview = false;
    std::optional<std::uint64_t> focused;
    std::vector<CompositorMonitor> monitors;  // the primary first
    std::vector<CompositorWindow> windows;    // front to back
};

/// Reads GetState's JSON. Nothing, with `reason` set, when the text is not a
/// state this program understands; a window or monitor with a field of the
/// wrong kind is skipped, the rest kept.
std::optional<CompositorState> parseShellState(std::string_view json, std::string* reason = nullptr);

/// The primary monitor's frame, which anchors the program's coordinates.
core::Rect primaryFrame(const CompositorState& state);

/// The monitors as the screens port gives them: bottom-left origin at the
/// primary's bottom-left corner.
std::vector<ports::ScreenInfo> screenInfos(const CompositorState& state);

/// A bottom-left origin frame back in the shell's coordinates.
core::Rect shellRect(const core::Rect& flipped, const core::Rect& primary);

/// A point in the shell's coordinates in the screens port's.
core::Point flippedPoint(double x, double y, const core::Rect& primary);

/// The on-screen windows front to back as the window list gives them, each
/// monitor's wallpaper entry last (with `option` OnScreenOnly), shifted
/// `wallpaperShift` pixels while a workspace switch slides. Windows of process
/// `ownPid` are this program's own.
std::vector<ports::RawWindow> rawWindows(const CompositorState& state,
                                            ports::WindowListOption option,
                                            double wallpaperShift, std::int64_t ownPid);

/// The window-list layer for a window's type and keep-above state.
std::int32_t windowLayer(const CompositorWindow& window);

/// The monitor that shows most of the focused window, else the primary.
std::optional<std::size_t> focusedMonitor(const CompositorState& state);

}  // namespace quorvel::compositor
