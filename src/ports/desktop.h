#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/geometry.h"
#include "core/signal.h"

namespace quorvel::ports {

/// A window's id as the desktop gives it (an X window, a compositor's id).
using WindowId = std::uint64_t;
/// A monitor's id, stable while it is connected.
using MonitorId = std::uint32_t;

/// One monitor, in the desktop's own coordinates (top-left origin, one space
/// for all monitors).
struct Monitor {
    MonitorId id = 0;
    core::Rect frame;
    core::Rect workArea;  ///< the frame less the desktop's panels
    bool operator==(const Monitor&) const = default;
};

/// What kind of window the desktop says a window is.
enum class WindowKind {
    normal,
    dialog,
    utility,  ///< palettes, toolbars and torn-off menus
    other,    ///< docks, the desktop, splash screens, notifications
};

/// One window the desktop manages and shows on the current workspace.
struct Window {
    WindowId id = 0;
    core::Rect frame;  ///< what the user sees, decorations included
    WindowKind kind = WindowKind::normal;
    std::optional<std::string> appId;  ///< the desktop-entry id, when known
    std::string appName;               ///< as the user knows it; empty when unknown
    bool fullscreen = false;
    bool keepAbove = false;
    bool own = false;  ///< one of Quorvel's own windows (never a veil)
    bool operator==(const Window&) const = default;
};

/// What the desktop shows right now.
struct DesktopState {
    std::vector<Monitor> monitors;  ///< the primary first
    std::vector<Window> windows;    ///< front to back; no veils, nothing minimised
    std::optional<WindowId> active;
    bool overview = false;            ///< the desktop's overview of all windows shows
    bool switchingWorkspace = false;  ///< from a switch's start to the end of its animation
    bool operator==(const DesktopState&) const = default;
};

/// An application the picker can offer.
struct Application {
    std::optional<std::string> appId;
    std::string name;
    bool operator==(const Application&) const = default;
};

/// The desktop as the behaviour sees it: it reports, the behaviour decides.
class Desktop {
public:
    virtual ~Desktop() = default;
    /// Called every tick and after a change; cheap, without a round trip where the desktop pushes.
    virtual DesktopState state() = 0;
    /// Called when the user acts on the application in front; asks the desktop now.
    virtual std::optional<Application> frontApplication() = 0;
    /// Called by the application picker; the applications with a window, front first.
    virtual std::vector<Application> runningApplications() = 0;
    /// Called in single mode; the pointer in the desktop's coordinates.
    virtual core::Point pointer() = 0;
    /// Connected by the behaviour; fires on the main thread whenever `state` may differ.
    virtual core::Signal<>& changed() = 0;
};

}  // namespace quorvel::ports
