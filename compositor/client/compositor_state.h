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
std::optional<CompositorState> parseShellState(std::string_view json,
                                               std::string* reason = nullptr);

/// What the desktop port reports of `state`: windows on screen that a window
/// manager stacks, front to back; those of process `ownPid` are Quorvel's own.
ports::DesktopState desktopState(const CompositorState& state, std::int64_t ownPid);

}  // namespace quorvel::compositor
