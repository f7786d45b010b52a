#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/geometry.h"
#include "core/signal.h"

namespace quorvel::x11 {

class Connection;

/// What a window is, from its EWMH type and state and whether a window manager manages it.
enum class WindowRole {
    normal,  ///< a normal window (or an untyped one)
    dialog,
    utility,  ///< utility, toolbar and torn-off menu windows
    desktop,  ///< draws the desktop background
    dock,     ///< panels and docks
    popup,    ///< menus, tooltips, notifications, drag icons, other unmanaged windows
};

/// What a client window says about itself; refreshed on PropertyNotify.
struct WindowProps {
    std::optional<std::uint32_t> netPid;  // _NET_WM_PID
    std::optional<std::uint32_t> resPid;  // the X-Resource client pid
    std::string instance, wmClass;        // WM_CLASS
    std::optional<std::string> title;     // _NET_WM_NAME, else WM_NAME
    std::optional<std::string> gtkApplicationId;
    std::vector<xcb_atom_t> types, states;
    std::optional<std::uint32_t> extents[4];     // _NET_FRAME_EXTENTS left, right, top, bottom
    std::optional<std::uint32_t> gtkExtents[4];  // _GTK_FRAME_EXTENTS (client-side shadows)
};

/// A child of the root window: a window manager's frame, or an unmanaged window that is its own
/// subject. Some window managers (i3, awesome, fluxbox, icewm) make their frames
/// override-redirect, so a toplevel counts as unmanaged only when it holds no managed client.
struct Toplevel {
    xcb_window_t id = 0;
    bool mapped = false, overrideRedirect = false, inputOnly = false;
    core::Rect geometry;  // outer rectangle (border included), X coordinates
    std::uint32_t border = 0;
    xcb_window_t client = 0;  // the managed client inside, 0 when none
    std::uint32_t moves = 0;  // ConfigureNotify events that put it elsewhere in the stacking

    bool isUnmanaged() const { return overrideRedirect && client == 0; }
};

/// The client window's rectangle inside its frame.
struct ClientGeometry {
    double offsetX = 0, offsetY = 0;  // origin relative to the frame's outer origin
    double width = 0, height = 0;
};

/// The X server's stacking order, frames, clients and their properties, maintained from
/// SubstructureNotify on the root and PropertyChange and StructureNotify on each client, so a
/// sample costs no round trip when nothing changed; what changed comes in pipelined requests.
class WindowMirror {
public:
    explicit WindowMirror(Connection& connection);
    ~WindowMirror();
    WindowMirror(const WindowMirror&) = delete;
    WindowMirror& operator=(const WindowMirror&) = delete;

    /// Processes pending events and fetches what they made stale.
    void refresh();
    /// Bottom to top, every child of the root.
    const std::vector<xcb_window_t>& stacking() const { return stacking_; }
    const Toplevel* toplevel(xcb_window_t id) const;
    /// The toplevel that holds `window` (a client or a toplevel itself).
    const Toplevel* toplevelFor(xcb_window_t window) const;
    /// The window whose properties describe a toplevel: its client, else itself.
    xcb_window_t subjectOf(const Toplevel& top) const { return top.client ? top.client : top.id; }
    const WindowProps* props(xcb_window_t subject) const;
    /// The frame rectangle the user sees (client plus decorations), X coordinates.
    core::Rect bounds(const Toplevel& top) const;
    /// What the toplevel is (our own veils read as normal).
    WindowRole role(const Toplevel& top) const;
    /// The user keeps it above other windows (_NET_WM_STATE_ABOVE).
    bool keepsAbove(const Toplevel& top) const;
    /// It fills its monitor at the client's request (_NET_WM_STATE_FULLSCREEN).
    bool isFullscreen(const Toplevel& top) const;
    /// A window of this process (the settings window, its dialogs), not a veil.
    bool isOwnProcess(const Toplevel& top) const;
    /// Hidden (minimised) windows and input-only windows are not on screen.
    bool isOnScreen(const Toplevel& top) const;
    /// The process name, "Quorvel" for our own windows, else the WM_CLASS class.
    std::optional<std::string> ownerName(const Toplevel& top);
    bool isDesktop(const Toplevel& top) const;

    xcb_window_t activeWindow() const { return active_; }
    /// Emitted after `refresh` when _NET_ACTIVE_WINDOW changed.
    core::Signal<xcb_window_t>& activeWindowChanged() { return activeChanged_; }
    /// Emitted as events arrive that may change what the list shows: the active window, the
    /// stacking, a frame moving, mapping or going. Our own windows' events do not count, so
    /// placing a veil never wakes a sample by itself.
    core::Signal<>& changed() { return changed_; }

    /// Our own overlay windows: owner "Quorvel", skipped when checking order.
    void addOwnWindow(xcb_window_t id) { own_.insert(id); }
    void removeOwnWindow(xcb_window_t id) { own_.erase(id); }
    /// True for our overlay windows and for a window manager's frame around one.
    bool isOwnWindow(xcb_window_t id) const;
    /// Counts the events that may have changed the stacking: a restack asked for since the
    /// count last moved has not been overtaken by another.
    std::uint64_t stackingEvents() const { return stackingEvents_; }
    void noteMapped(xcb_window_t window, bool mapped);

private:
    void handle(const xcb_generic_event_t& event);
    void noteChange(std::uint8_t type, const xcb_generic_event_t& event);
    void handleConfigure(const xcb_configure_notify_event_t& e);
    void handleReparent(const xcb_reparent_notify_event_t& e);
    void handlePropertyNotify(const xcb_property_notify_event_t& e);
    void place(xcb_window_t window, xcb_window_t sibling, bool above);
    void erase(xcb_window_t window);
    void resync();
    void readClientList();
    void resolveClients(const std::vector<xcb_window_t>& added);
    void fetchToplevels(const std::vector<xcb_window_t>& ids);
    void fetchProps(const std::vector<xcb_window_t>& subjects);
    void fetchClientGeometry(const std::vector<xcb_window_t>& clients);
    void readActive();
    void watch(xcb_window_t window, bool structure);

    Connection& connection_;
    int handler_ = 0;
    std::vector<xcb_window_t> stacking_;
    std::uint64_t stackingEvents_ = 0;
    std::unordered_map<xcb_window_t, Toplevel> toplevels_;
    std::unordered_map<xcb_window_t, xcb_window_t> clientToToplevel_;
    std::unordered_map<xcb_window_t, ClientGeometry> clientGeometry_;
    std::unordered_map<xcb_window_t, WindowProps> props_;
    std::set<xcb_window_t> staleProps_, staleGeometry_, staleToplevels_, watched_;
    std::set<xcb_window_t> own_;
    std::unordered_map<std::uint32_t, std::string> processNames_;
    xcb_window_t active_ = 0;
    bool needsResync_ = true;
    bool clientListStale_ = true;
    bool activeStale_ = true;
    core::Signal<xcb_window_t> activeChanged_;
    core::Signal<> changed_;
};

}  // namespace quorvel::x11
