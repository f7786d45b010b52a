#include "x11/x11_veil_window.h"

#include <unistd.h>
#include <xcb/shape.h>
#include <xcb/xcb_icccm.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/log.h"
#include "x11/connection.h"
#include "x11/monitor_layout.h"
#include "x11/window_mirror.h"

namespace quorvel::x11 {

namespace {

xcb_visualid_t argbVisual(const xcb_screen_t& screen) {
    for (auto depth = xcb_screen_allowed_depths_iterator(&screen); depth.rem > 0;
         xcb_depth_next(&depth)) {
        if (depth.data->depth != 32) continue;
        for (auto v = xcb_depth_visuals_iterator(depth.data); v.rem > 0; xcb_visualtype_next(&v)) {
            if (v.data->_class == XCB_VISUAL_CLASS_TRUE_COLOR) return v.data->visual_id;
        }
    }
    return 0;
}

void setCardinal(xcb_connection_t* c, xcb_window_t w, xcb_atom_t atom, std::uint32_t value) {
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, atom, XCB_ATOM_CARDINAL, 32, 1, &value);
}

}  // namespace

X11VeilWindow::X11VeilWindow(Connection& connection, core::Scheduler& scheduler,
                             std::shared_ptr<VeilRenderer> renderer,
                             std::shared_ptr<const VeilStrategyWatch> strategy,
                             const core::Rect& frame)
    : connection_(connection),
      scheduler_(scheduler),
      renderer_(std::move(renderer)),
      strategy_(std::move(strategy)) {
    if (!connection_.isOpen()) {
        closed_ = true;
        return;
    }
    create(frame);
    lookFollowed_ = renderer_->lookFollowed().connect([this] { dropDefaultLook(); });
}

X11VeilWindow::~X11VeilWindow() {
    completion_ = nullptr;  // its owner is gone with us
    close();
}

void X11VeilWindow::create(const core::Rect& xFrame) {
    xcb_connection_t* c = connection_.raw();
    const xcb_screen_t& screen = connection_.screen();
    xcb_visualid_t visual = argbVisual(screen);
    std::uint8_t depth = 32;
    if (visual == 0) {
        core::log("⚠️ The X server offers no 32-bit visual: the veil cannot be translucent");
        visual = screen.root_visual;
        depth = screen.root_depth;
    } else {
        colormap_ = xcb_generate_id(c);
        xcb_create_colormap(c, XCB_COLORMAP_ALLOC_NONE, colormap_, screen.root, visual);
    }
    window_ = xcb_generate_id(c);
    xFrame_ = xFrame;
    built_ = strategy_ ? strategy_->current() : VeilStrategy::unmanaged;
    // No background: the server leaves the content alone on Expose, and the
    // renderer draws it from its server-side pictures.
    const std::uint32_t values[] = {
        XCB_BACK_PIXMAP_NONE, 0, built_ == VeilStrategy::unmanaged ? 1u : 0u,
        XCB_EVENT_MASK_EXPOSURE, colormap_ ? colormap_ : screen.default_colormap};
    xcb_create_window(c, depth, window_, screen.root, std::int16_t(xFrame.x),
                      std::int16_t(xFrame.y), std::uint16_t(std::max(1.0, xFrame.width)),
                      std::uint16_t(std::max(1.0, xFrame.height)), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      visual,
                      XCB_CW_BACK_PIXMAP | XCB_CW_BORDER_PIXEL | XCB_CW_OVERRIDE_REDIRECT |
                          XCB_CW_EVENT_MASK | XCB_CW_COLORMAP,
                      values);
    // An empty input shape: the veil never receives a click.
    xcb_shape_rectangles(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, XCB_CLIP_ORDERING_UNSORTED,
                         window_, 0, 0, 0, nullptr);
    setProperties();
    if (built_ == VeilStrategy::managed) setManagedProperties();
    connection_.windows().addOwnWindow(window_);
    renderer_->attach(window_, int(std::max(1.0, xFrame.width)), int(std::max(1.0, xFrame.height)));
    xcb_flush(c);
}

void X11VeilWindow::setProperties() {
    xcb_connection_t* c = connection_.raw();
    xcb_ewmh_connection_t& ewmh = connection_.ewmh();
    static constexpr char wmClass[] = "quorvel\0Quorvel";
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window_, connection_.atom(Atom::WmClass),
                        XCB_ATOM_STRING, 8, sizeof(wmClass), wmClass);
    xcb_atom_t type = built_ == VeilStrategy::managed ? ewmh._NET_WM_WINDOW_TYPE_UTILITY
                                                      : ewmh._NET_WM_WINDOW_TYPE_DESKTOP;
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window_, ewmh._NET_WM_WINDOW_TYPE, XCB_ATOM_ATOM,
                        32, 1, &type);
    setCardinal(c, window_, ewmh._NET_WM_PID, std::uint32_t(getpid()));
    setCardinal(c, window_, connection_.atom(Atom::ComptonShadow), 0);
    setCardinal(c, window_, connection_.atom(Atom::NetWmWindowOpacity), 0);
}

void X11VeilWindow::setManagedProperties() {
    xcb_connection_t* c = connection_.raw();
    xcb_ewmh_connection_t& ewmh = connection_.ewmh();
    // No decorations (the Motif hint every window manager reads), out of task
    // bars, pagers and the window switcher, on every workspace.
    const std::uint32_t motif[] = {2, 0, 0, 0, 0};
    const xcb_atom_t motifAtom = connection_.atom(Atom::MotifWmHints);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window_, motifAtom, motifAtom, 32, 5, motif);
    const xcb_atom_t states[] = {ewmh._NET_WM_STATE_SKIP_TASKBAR, ewmh._NET_WM_STATE_SKIP_PAGER,
                                 ewmh._NET_WM_STATE_STICKY,
                                 connection_.atom(Atom::KdeNetWmStateSkipSwitcher)};
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window_, ewmh._NET_WM_STATE, XCB_ATOM_ATOM, 32, 4,
                        states);
    setCardinal(c, window_, ewmh._NET_WM_DESKTOP, 0xFFFFFFFF);
    // Never focused: no input hint and no WM_TAKE_FOCUS.
    xcb_icccm_wm_hints_t hints{};
    xcb_icccm_wm_hints_set_input(&hints, 0);
    xcb_icccm_set_wm_hints(c, window_, &hints);
    setSizeHints();
}

void X11VeilWindow::setSizeHints() {
    // Where we put it and exactly as large: window managers otherwise place
    // a new window by their own rules.
    xcb_size_hints_t size{};
    const auto w = std::int32_t(std::max(1.0, xFrame_.width)),
               h = std::int32_t(std::max(1.0, xFrame_.height));
    xcb_icccm_size_hints_set_position(&size, 1, std::int32_t(xFrame_.x), std::int32_t(xFrame_.y));
    xcb_icccm_size_hints_set_size(&size, 1, w, h);
    xcb_icccm_size_hints_set_min_size(&size, w, h);
    xcb_icccm_size_hints_set_max_size(&size, w, h);
    xcb_icccm_set_wm_normal_hints(connection_.raw(), window_, &size);
}

void X11VeilWindow::setFrame(const core::Rect& frame) {
    if (closed_) return;
    const core::Rect x = frame;
    if (x == xFrame_) return;
    xFrame_ = x;
    if (built_ == VeilStrategy::managed) setSizeHints();
    const std::uint32_t values[] = {
        std::uint32_t(std::int32_t(x.x)), std::uint32_t(std::int32_t(x.y)),
        std::uint32_t(std::max(1.0, x.width)), std::uint32_t(std::max(1.0, x.height))};
    xcb_configure_window(connection_.raw(), window_,
                         XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                             XCB_CONFIG_WINDOW_HEIGHT,
                         values);
    renderer_->resize(window_, int(std::max(1.0, x.width)), int(std::max(1.0, x.height)));
    xcb_flush(connection_.raw());
}

bool X11VeilWindow::restsOn(xcb_window_t window, xcb_window_t below) const {
    const WindowMirror& mirror = connection_.windows();
    const auto& stack = mirror.stacking();
    auto upper = std::find(stack.begin(), stack.end(), window);
    if (upper == stack.end()) return false;
    for (auto it = std::make_reverse_iterator(upper); it != stack.rend(); ++it) {
        if (*it == below) return true;
        if (!counts(*it)) continue;
        return false;
    }
    return below == XCB_NONE;
}

bool X11VeilWindow::counts(xcb_window_t id) const {
    const WindowMirror& mirror = connection_.windows();
    const Toplevel* top = mirror.toplevel(id);
    return top && top->mapped && !top->inputOnly && !mirror.isOwnWindow(id);
}

xcb_window_t X11VeilWindow::neighbour(xcb_window_t window, bool upwards) const {
    const auto& stack = connection_.windows().stacking();
    auto it = std::find(stack.begin(), stack.end(), window);
    if (it == stack.end()) return XCB_NONE;
    if (upwards) {
        for (++it; it != stack.end(); ++it)
            if (counts(*it)) return *it;
    } else {
        while (it != stack.begin())
            if (counts(*--it)) return *it;
    }
    return XCB_NONE;
}

xcb_window_t X11VeilWindow::toplevelId() const {
    const Toplevel* top = connection_.windows().toplevelFor(window_);
    return top ? top->id : window_;
}

void X11VeilWindow::placeBelow(ports::WindowId window) {
    if (closed_) return;
    followStrategy();
    placedBelow_ = window;
    covering_ = false;
    WindowMirror& mirror = connection_.windows();
    mirror.refresh();
    const Toplevel* target = mirror.toplevelFor(xcb_window_t(window));
    if (!target) return;  // it closed since the sample; the next tick orders again
    // Raised and put below it since the last stacking event: raising it again
    // on that same reading would lift it back over the veil.
    const std::tuple asked{target->id, std::uint32_t(XCB_STACK_MODE_BELOW),
                           mirror.stackingEvents()};
    if (built_ == VeilStrategy::unmanaged && mapped_ && asked == sent_) return;
    const bool raised = target->overrideRedirect && raiseOverNeighbours(*target);
    const bool placed = mapped_ && !raised && restsOn(target->id, toplevelId());
    if (built_ == VeilStrategy::unmanaged) {
        if (!placed) restack(target->id, XCB_STACK_MODE_BELOW);
    } else if (!placed && mapped_) {
        placeBetween(neighbour(target->id, false), target->id);
    }
    ensureMapped();
}

// True when it raised `target`: the veil below it must follow.
bool X11VeilWindow::raiseOverNeighbours(const Toplevel& target) {
    // WORKAROUND(i3): tiles are stacked in the order they were made, not
    // raised on focus, so the tiles above the focused one would stay clear of
    // a veil below it. Its frames are override-redirect: raising one over the
    // ordinary windows it does not overlap needs no window manager, and never
    // hides a window (a floating one) that covers part of it.
    WindowMirror& mirror = connection_.windows();
    const core::Rect bounds = mirror.bounds(target);
    xcb_window_t over = XCB_NONE;
    for (xcb_window_t next = neighbour(target.id, true); next != XCB_NONE;
         next = neighbour(next, true)) {
        const Toplevel* top = mirror.toplevel(next);
        if (!top || mirror.role(*top) != WindowRole::normal ||
            mirror.bounds(*top).intersects(bounds))
            break;
        over = next;
    }
    if (over == XCB_NONE) return false;
    const std::uint32_t values[] = {over, XCB_STACK_MODE_ABOVE};
    xcb_configure_window(connection_.raw(), target.id,
                         XCB_CONFIG_WINDOW_SIBLING | XCB_CONFIG_WINDOW_STACK_MODE, values);
    return true;
}

void X11VeilWindow::cover() {
    if (closed_) return;
    followStrategy();
    covering_ = true;
    WindowMirror& mirror = connection_.windows();
    mirror.refresh();
    // Above every window the user works in, below panels, menus and keep-above windows.
    xcb_window_t highest = XCB_NONE;
    const auto& stack = mirror.stacking();
    for (auto it = stack.rbegin(); it != stack.rend(); ++it) {
        const Toplevel* top = mirror.toplevel(*it);
        if (!top || mirror.isOwnWindow(*it) || !mirror.isOnScreen(*top)) continue;
        const WindowRole role = mirror.role(*top);
        const bool below = role == WindowRole::desktop ||
                           ((role == WindowRole::normal || role == WindowRole::dialog) &&
                            !mirror.keepsAbove(*top));
        if (below) {
            highest = *it;
            break;
        }
    }
    const bool placed = mapped_ && restsOn(toplevelId(), highest);
    if (built_ == VeilStrategy::unmanaged) {
        if (!placed)
            restack(highest, highest == XCB_NONE ? XCB_STACK_MODE_BELOW : XCB_STACK_MODE_ABOVE);
    } else if (!placed && mapped_) {
        placeBetween(highest, highest == XCB_NONE ? XCB_NONE : neighbour(highest, true));
    }
    ensureMapped();
}

void X11VeilWindow::placeBetween(xcb_window_t under, xcb_window_t over) {
    const WindowMirror& mirror = connection_.windows();
    const Toplevel* self = mirror.toplevelFor(window_);
    // Until the window manager has shown the veil, a request would be lost.
    if (!self || !self->mapped) return;
    const auto request =
        requests_.next(mirror.stacking(), self->id, under, over, self->moves, scheduler_.now());
    if (request) requestRestack(request->sibling, request->mode);
}

void X11VeilWindow::requestRestack(xcb_window_t sibling, std::uint32_t mode) {
    WindowMirror& mirror = connection_.windows();
    const Toplevel* top = mirror.toplevel(sibling);
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window_;
    message.type = connection_.ewmh()._NET_RESTACK_WINDOW;
    // Source 2: a pager, whose requests window managers carry out as asked.
    message.data.data32[0] = 2;
    message.data.data32[1] = top ? mirror.subjectOf(*top) : sibling;
    message.data.data32[2] = mode;
    xcb_send_event(connection_.raw(), 0, connection_.root(),
                   XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(connection_.raw());
}

void X11VeilWindow::restack(xcb_window_t sibling, std::uint32_t mode) {
    // The mirror learns the new place from the server's ConfigureNotify, in
    // order with what the window manager did meanwhile: a place written into
    // it ahead of those events would misplace the windows they move next to
    // the veil, for good. Until an event comes, the restack counts as done.
    const std::tuple asked{sibling, mode, connection_.windows().stackingEvents()};
    if (asked == sent_) return;
    sent_ = asked;
    std::uint32_t values[2];
    std::uint16_t mask = XCB_CONFIG_WINDOW_STACK_MODE;
    int n = 0;
    if (sibling != XCB_NONE) {
        mask |= XCB_CONFIG_WINDOW_SIBLING;
        values[n++] = sibling;
    }
    values[n++] = mode;
    xcb_configure_window(connection_.raw(), window_, mask, values);
    xcb_flush(connection_.raw());
}

void X11VeilWindow::ensureMapped() {
    if (mapped_) return;
    mapped_ = true;
    mappedWithoutLook_ = !renderer_->hasLook();
    // A window manager maps a managed veil when it likes; the mirror hears it.
    if (built_ == VeilStrategy::unmanaged) connection_.windows().noteMapped(window_, true);
    renderer_->prepareMap(window_);
    xcb_map_window(connection_.raw(), window_);
    xcb_flush(connection_.raw());
}

void X11VeilWindow::dropDefaultLook() {
    // A compositor may keep the frame a window was mapped with for good. A
    // window made anew, as picom keeps the old picture of a window unmapped
    // and mapped again at once. A managed veil is left alone: the window
    // manager maps it anew wherever it likes until the next placing.
    if (!std::exchange(mappedWithoutLook_, false) || closed_ || !mapped_ ||
        built_ != VeilStrategy::unmanaged)
        return;
    remake();
    if (covering_)
        cover();
    else if (placedBelow_)
        placeBelow(placedBelow_);
}

void X11VeilWindow::setAlpha(double alpha) {
    alpha_ = std::clamp(alpha, 0.0, 1.0);
    if (closed_) return;
    const auto value = std::uint32_t(std::lround(alpha_ * 4294967295.0));
    setCardinal(connection_.raw(), window_, connection_.atom(Atom::NetWmWindowOpacity), value);
    xcb_flush(connection_.raw());
}

void X11VeilWindow::animateAlpha(double target, double duration, std::function<void()> completion) {
    animation_.cancel();
    if (auto previous = std::exchange(completion_, nullptr)) previous();
    if (closed_) {
        if (completion) completion();
        return;
    }
    if (duration <= 0) {
        // An instant change still ends on the next turn of the main queue, as
        // an animation would.
        setAlpha(target);
        completion_ = std::move(completion);
        animation_ = scheduler_.after(0, core::TimerMode::Common, [this] {
            if (auto done = std::exchange(completion_, nullptr)) done();
        });
        return;
    }
    from_ = alpha_;
    to_ = target;
    start_ = scheduler_.now();
    duration_ = duration;
    completion_ = std::move(completion);
    animation_ =
        scheduler_.repeating(1.0 / animationRate, core::TimerMode::Common, [this] { step(); });
}

void X11VeilWindow::step() {
    const double t = (scheduler_.now() - start_) / duration_;
    if (t < 1.0) {
        setAlpha(from_ + (to_ - from_) * t);
        return;
    }
    setAlpha(to_);
    animation_.cancel();
    if (auto done = std::exchange(completion_, nullptr)) done();
}

void X11VeilWindow::hide() {
    if (closed_ || !mapped_) return;
    xcb_unmap_window(connection_.raw(), window_);
    mapped_ = false;
    connection_.windows().noteMapped(window_, false);
    xcb_flush(connection_.raw());
}

void X11VeilWindow::close() {
    if (closed_) return;
    closed_ = true;
    animation_.cancel();
    destroy();
    mapped_ = false;
    // A fade that was still running ends here, as if it had finished.
    if (auto done = std::exchange(completion_, nullptr)) done();
}

void X11VeilWindow::destroy() {
    renderer_->detach(window_);
    xcb_destroy_window(connection_.raw(), window_);
    if (colormap_) xcb_free_colormap(connection_.raw(), colormap_);
    colormap_ = 0;
    connection_.windows().removeOwnWindow(window_);
    xcb_flush(connection_.raw());
}

void X11VeilWindow::followStrategy() {
    if (!strategy_ || strategy_->current() == built_) return;
    // Whether the window manager manages a window is settled when it is
    // mapped; a new window is the one way every window manager notices.
    remake();
}

void X11VeilWindow::remake() {
    requests_.reset();
    destroy();
    mapped_ = false;
    create(xFrame_);
    setAlpha(alpha_);
}

std::shared_ptr<ports::VeilWindow> X11VeilWindows::create(const ports::Monitor& monitor) {
    return std::make_shared<X11VeilWindow>(connection_, scheduler_, renderer_, strategy_,
                                           monitor.frame);
}

}  // namespace quorvel::x11
