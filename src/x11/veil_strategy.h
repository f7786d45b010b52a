#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <string>

#include "core/signal.h"

namespace quorvel::x11 {

class Connection;

/// How a veil gets between the front window and the ones behind it.
/// Compositors differ in the order they paint unmanaged windows in: some
/// follow the X stacking, others keep every unmanaged window above the
/// managed ones, whatever the X server says.
enum class VeilStrategy {
    /// An override-redirect window the X server restacks at once; right where
    /// the compositor paints in X stacking order (picom, xfwm4, marco).
    unmanaged,
    /// A window the window manager manages (undecorated, input-less, on every
    /// workspace, out of task lists), restacked through it with
    /// _NET_RESTACK_WINDOW; right where the compositor keeps unmanaged windows
    /// on top (KWin, mutter, metacity, muffin).
    managed,
};

/// What the choice rests on, read from the X server.
struct DesktopFacts {
    std::string windowManager;               // its _NET_WM_NAME; empty when none runs
    std::string compositor;                  // the process owning _NET_WM_CM_S<n>; empty when none
    bool compositorIsWindowManager = false;  // one program does both
    bool takesRestackRequests = false;       // _NET_RESTACK_WINDOW in _NET_SUPPORTED
};

struct VeilStrategyChoice {
    VeilStrategy strategy = VeilStrategy::unmanaged;
    std::string reason;  // for the log line
};

VeilStrategyChoice chooseVeilStrategy(const DesktopFacts& facts);
/// Whether the window manager slides a new workspace in (GNOME Shell,
/// Cinnamon's muffin, KWin) rather than showing it at once.
bool animatesWorkspaceSwitches(const std::string& windowManager);
/// The log line that names the choice and why.
std::string describe(const VeilStrategyChoice& choice);

/// Keeps the choice current: it reads the facts at start and again when the
/// window manager is replaced or a compositor starts or stops, and logs each
/// new choice once.
class VeilStrategyWatch {
public:
    explicit VeilStrategyWatch(Connection& connection);
    ~VeilStrategyWatch();
    VeilStrategyWatch(const VeilStrategyWatch&) = delete;
    VeilStrategyWatch& operator=(const VeilStrategyWatch&) = delete;

    VeilStrategy current() const { return choice_.strategy; }
    const DesktopFacts& facts() const { return facts_; }
    bool compositorRunning() const { return !facts_.compositor.empty(); }
    /// Emitted when a compositor starts or stops.
    core::Signal<bool>& compositorChanged() { return compositorChanged_; }

private:
    void handle(const xcb_generic_event_t& event);
    void reread();
    DesktopFacts read() const;
    std::string processName(xcb_window_t window) const;
    std::uint32_t pidOf(xcb_window_t window) const;

    Connection& connection_;
    int handler_ = 0;
    xcb_atom_t compositorSelection_ = XCB_NONE;
    std::uint8_t selectionNotify_ = 0;
    DesktopFacts facts_;
    VeilStrategyChoice choice_;
    bool chosen_ = false;
    core::Signal<bool> compositorChanged_;
};

}  // namespace quorvel::x11
