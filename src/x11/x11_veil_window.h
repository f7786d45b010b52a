#pragma once

#include <xcb/xcb.h>

#include <memory>
#include <tuple>

#include "core/scheduler.h"
#include "ports/veil_windows.h"
#include "x11/restack_requests.h"
#include "x11/veil_renderer.h"
#include "x11/veil_strategy.h"

namespace quorvel::look {
class LookFollower;
}

namespace quorvel::x11 {

class Connection;
struct Toplevel;

/// A veil on X: a window with a 32-bit ARGB visual (so the compositor blends
/// and blurs behind it), an empty input shape (every click goes to the window
/// below), and its alpha in _NET_WM_WINDOW_OPACITY. It is override-redirect
/// or managed as the desktop's `VeilStrategy` says, and is made anew when the
/// strategy changes (a window manager or compositor replaced).
///
/// It carries WM_CLASS "quorvel", "Quorvel". Unmanaged, it has the DESKTOP
/// window type, the one type picom neither shadows nor dims as unfocused by
/// default, and _COMPTON_SHADOW 0; compositor rules can match
/// `class_g = 'Quorvel'`. Managed, it is a UTILITY window: DESKTOP sinks to the
/// bottom and DOCK or NOTIFICATION float above everything.
///
/// Its content is the veil `renderer` draws; the window has no background of
/// its own, so nothing flat flashes before the drawing lands.
///
/// Ordering reads the stacking from the connection's mirror and restacks only
/// when the veil is not already where it belongs, so a window manager that
/// raises a window meets one ConfigureWindow on the next tick, never a storm;
/// a managed veil has at most one restack request out at a time.
class X11VeilWindow final : public ports::VeilWindow {
public:
    /// `frame` in X coordinates; created unmapped with alpha 0.
    X11VeilWindow(Connection& connection, core::Scheduler& scheduler,
                  std::shared_ptr<VeilRenderer> renderer,
                  std::shared_ptr<const VeilStrategyWatch> strategy, const core::Rect& frame);
    ~X11VeilWindow() override;
    X11VeilWindow(const X11VeilWindow&) = delete;
    X11VeilWindow& operator=(const X11VeilWindow&) = delete;

    void setFrame(const core::Rect& frame) override;
    void placeBelow(ports::WindowId window) override;
    void cover() override;
    void setAlpha(double alpha) override;
    double alpha() const override { return alpha_; }
    void animateAlpha(double target, double duration, std::function<void()> completion) override;
    void hide() override;
    void close() override;

    xcb_window_t id() const { return window_; }
    VeilStrategy strategy() const { return built_; }
    bool isMapped() const { return mapped_; }

    /// Alpha animation steps per second.
    static constexpr double animationRate = 60.0;

private:
    void create(const core::Rect& xFrame);
    void destroy();
    /// Makes the window anew when the desktop's strategy changed since it was made.
    void followStrategy();
    void setProperties();
    void setManagedProperties();
    void setSizeHints();
    bool raiseOverNeighbours(const Toplevel& target);
    /// Asks the window manager to put the veil between `under` and `over`
    /// (either may be none), unless an earlier request is still pending.
    void placeBetween(xcb_window_t under, xcb_window_t over);
    void restack(xcb_window_t sibling, std::uint32_t mode);
    void requestRestack(xcb_window_t sibling, std::uint32_t mode);
    /// The root child that is this veil: its window manager's frame, or itself.
    xcb_window_t toplevelId() const;
    /// A mapped window of someone else's that hides what lies below it.
    bool counts(xcb_window_t id) const;
    /// The first window that counts above or below `window`; none at the end.
    xcb_window_t neighbour(xcb_window_t window, bool upwards) const;
    void ensureMapped();
    /// Makes an unmanaged veil mapped before its renderer followed a look
    /// anew and places it again, so that it is mapped with its frame in the
    /// user's look (the program hands the renderer its look just after the
    /// veils start, before their fade-in has made them visible).
    void dropDefaultLook();
    /// A new window in place of this one, unmapped.
    void remake();
    void step();
    /// True when only unmapped or own windows lie between `window` and the first
    /// window below it that counts (`below` is that window, or none for the bottom).
    bool restsOn(xcb_window_t window, xcb_window_t below) const;

    Connection& connection_;
    core::Scheduler& scheduler_;
    std::shared_ptr<VeilRenderer> renderer_;
    std::shared_ptr<const VeilStrategyWatch> strategy_;
    VeilStrategy built_ = VeilStrategy::unmanaged;
    xcb_window_t window_ = 0;
    xcb_colormap_t colormap_ = 0;
    core::Rect xFrame_;
    bool mapped_ = false;
    bool mappedWithoutLook_ = false;
    ports::WindowId placedBelow_ = 0;  // the last placing asked, to repeat it
    bool covering_ = false;
    core::Connection lookFollowed_;
    bool closed_ = false;
    RestackRequests requests_;  // managed: what the window manager has yet to do
    // Unmanaged: the last restack sent, with the mirror's stacking event count then.
    std::tuple<xcb_window_t, std::uint32_t, std::uint64_t> sent_{};
    double alpha_ = 0;
    double from_ = 0, to_ = 0, start_ = 0, duration_ = 0;
    core::Timer animation_;
    std::function<void()> completion_;
};

/// Makes veils on the connection's display; fades and the mode animation run
/// on `scheduler`. Until `follow` is called the veils show the default look.
class X11VeilWindows final : public ports::VeilWindows {
public:
    X11VeilWindows(Connection& connection, core::Scheduler& scheduler)
        : connection_(connection),
          scheduler_(scheduler),
          strategy_(std::make_shared<VeilStrategyWatch>(connection)),
          renderer_(std::make_shared<VeilRenderer>(connection, scheduler, *strategy_)) {}

    /// Draws every veil, live and future, with the look it follows,
    /// redrawing on its changes. It must outlive the factory.
    void follow(look::LookFollower& look) { renderer_->follow(look); }
    VeilRenderer& renderer() { return *renderer_; }
    const VeilStrategyWatch& strategy() const { return *strategy_; }

    std::shared_ptr<ports::VeilWindow> create(const ports::Monitor& monitor) override;

private:
    Connection& connection_;
    core::Scheduler& scheduler_;
    // Shared: a veil may outlive the factory. The watch first, as the renderer follows it.
    std::shared_ptr<VeilStrategyWatch> strategy_;
    std::shared_ptr<VeilRenderer> renderer_;
};

}  // namespace quorvel::x11
