#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/geometry.h"
#include "ports/desktop.h"

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

/// One window on screen as the component lists it.
struct CompositorWindow {
    std::uint64_t id = 0;
    std::optional<std::string> app;  // desktop-entry id
    std::optional<std::string> appName;
    core::Rect frame;
    int monitor = -1;
    std::string type = "normal";
    bool fullscreen = false;
    bool above = false;
    bool own = false;  // a window of the process that drives the component
};

/// The desktop in one reading of the component's GetState.
struct CompositorState {
    std::string compositor;  // "GNOME Shell" or "KWin"
    std::string compositorVersion;
    std::string session;  // "wayland" or "x11"
    bool frost = true;    // false where the compositor cannot blur
    int workspace = 0;
    bool switchingWorkspace = false;
    bool overview = false;
    std::optional<std::uint64_t> active;
    std::vector<CompositorMonitor> monitors;  // the primary first
    std::vector<CompositorWindow> windows;    // front to back
    std::optional<core::Rect> trayItem;       // the top-bar item while it shows
};

/// The one state version this client reads.
inline constexpr int kStateVersion = 2;

/// Reads GetState's JSON. Nothing, with `reason` set, when the text is not a
/// state this program understands; a window or monitor with a field of the
/// wrong kind is skipped, the rest kept.
std::optional<CompositorState> parseCompositorState(std::string_view json,
                                                    std::string* reason = nullptr);

/// What the desktop port reports of `state`.
ports::DesktopState desktopState(const CompositorState& state);

}  // namespace quorvel::compositor
