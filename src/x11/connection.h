#pragma once

#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

#include <sys/types.h>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <string>

namespace quorvel::x11 {

class WindowMirror;
class MonitorLayout;

/// Atoms beyond the EWMH set that xcb-ewmh interns for us.
enum class Atom {
    WmState,
    WmClass,
    WmName,
    GtkApplicationId,
    GtkFrameExtents,
    NetWmWindowOpacity,
    ComptonShadow,
    MotifWmHints,
    KdeNetWmStateSkipSwitcher,
    Count,
};

/// One connection to the X server, opened from $DISPLAY, and the caches that
/// every adapter shares: the event-maintained window mirror and the monitor
/// layout. Events are pumped by `processEvents`, which the program calls when
/// `fd()` becomes readable (and the adapters call before each sample).
class Connection {
public:
    using EventHandler = std::function<void(const xcb_generic_event_t&)>;

    /// Opens `display` (nullptr: $DISPLAY). Check `isOpen()`; a failed open is logged.
    explicit Connection(const char* display = nullptr);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool isOpen() const;
    xcb_connection_t* raw() const { return connection_; }
    xcb_ewmh_connection_t& ewmh() { return ewmh_; }
    const xcb_ewmh_connection_t& ewmh() const { return ewmh_; }
    xcb_screen_t& screen() const { return *screen_; }
    xcb_window_t root() const { return screen_->root; }
    int fd() const;
    xcb_atom_t atom(Atom which) const { return atoms_[static_cast<int>(which)]; }
    /// An atom outside the fixed set, asked for when needed; XCB_NONE on failure.
    xcb_atom_t intern(const std::string& name) const;

    /// Reads every event already received and hands it to the handlers. Safe
    /// to call often: it never blocks and does nothing when re-entered.
    void processEvents();
    /// The same for the events XCB has already read off the socket while it
    /// waited for a reply: the socket shows nothing new for those, so an
    /// event loop must ask for them before it sleeps.
    void processQueuedEvents();
    /// Waits until the server has handled everything sent so far (by any client
    /// that synced before), then processes the events that produced.
    void sync();
    void flush();

    /// Handlers run in registration order; the id removes it again.
    int addEventHandler(EventHandler handler);
    void removeEventHandler(int id);

    /// The first event code of an extension, 0 when the server lacks it.
    std::uint8_t randrEventBase() const { return randrEventBase_; }
    std::uint8_t xkbEventBase() const { return xkbEventBase_; }
    bool hasXRes() const { return hasXRes_; }

    /// Windows of this process report the owner "Quorvel"; tests that create
    /// windows in-process set another pid so theirs look foreign.
    pid_t ownPid() const { return ownPid_; }
    void setOwnPid(pid_t pid) { ownPid_ = pid; }

    WindowMirror& windows();
    MonitorLayout& monitors();

private:
    void initExtensions();

    xcb_connection_t* connection_ = nullptr;
    xcb_screen_t* screen_ = nullptr;
    xcb_ewmh_connection_t ewmh_{};
    bool ewmhReady_ = false;
    xcb_atom_t atoms_[static_cast<int>(Atom::Count)] = {};
    std::uint8_t randrEventBase_ = 0;
    std::uint8_t xkbEventBase_ = 0;
    bool hasXRes_ = false;
    pid_t ownPid_;
    std::map<int, EventHandler> handlers_;
    int nextHandler_ = 1;
    void dispatch(xcb_generic_event_t* (*next)(xcb_connection_t*));
    bool dispatching_ = false;
    std::unique_ptr<WindowMirror> windows_;
    std::unique_ptr<MonitorLayout> monitors_;
};

/// Frees a reply from xcb when it goes out of scope.
template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

template <typename T>
Reply<T> reply(T* raw) {
    return Reply<T>(raw, &std::free);
}

}  // namespace quorvel::x11
