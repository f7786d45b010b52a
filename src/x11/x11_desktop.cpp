#include "x11/x11_desktop.h"

#include <algorithm>

#include "x11/connection.h"
#include "x11/monitor_layout.h"
#include "x11/window_mirror.h"

namespace quorvel::x11 {

namespace {

std::optional<ports::WindowKind> kindOf(WindowRole role) {
    switch (role) {
        case WindowRole::normal:
            return ports::WindowKind::normal;
        case WindowRole::dialog:
            return ports::WindowKind::dialog;
        case WindowRole::utility:
            return ports::WindowKind::utility;
        case WindowRole::desktop:
        case WindowRole::dock:
            return ports::WindowKind::other;
        case WindowRole::popup:
            break;
    }
    return std::nullopt;  // not a window the desktop manages
}

}  // namespace

X11Desktop::X11Desktop(Connection& connection, core::Scheduler& scheduler,
                       const ports::AppCatalog& catalog)
    : connection_(connection), scheduler_(scheduler), matcher_(catalog) {
    if (!connection_.isOpen()) return;
    mirrorChanges_ = connection_.windows().changed().connect([this] { noteChange(); });
    handler_ = connection_.addEventHandler([this](const xcb_generic_event_t& event) {
        if ((event.response_type & 0x7f) != XCB_PROPERTY_NOTIFY) return;
        const auto& e = reinterpret_cast<const xcb_property_notify_event_t&>(event);
        if (e.window == connection_.root() && e.atom == connection_.ewmh()._NET_CURRENT_DESKTOP)
            switched();
    });
}

X11Desktop::~X11Desktop() {
    *alive_ = false;
    if (handler_) connection_.removeEventHandler(handler_);
}

void X11Desktop::noteChange() {
    dirty_ = true;
    // Told on the next turn: listeners read the state, and the mirror may be
    // in the middle of processing the events that brought the change.
    if (queued_) return;
    queued_ = true;
    scheduler_.async([this, alive = alive_] {
        if (!*alive) return;
        queued_ = false;
        changed_.emit();
    });
}

void X11Desktop::switched() {
    if (!animates_ || !animates_()) return;
    switchEnds_ = scheduler_.now() + kSwitchSettle;
    noteChange();
    switchTimer_ =
        scheduler_.after(kSwitchSettle, core::TimerMode::Common, [this] { noteChange(); });
}

std::vector<ports::Window> X11Desktop::windows() {
    std::vector<ports::Window> result;
    WindowMirror& mirror = connection_.windows();
    const xcb_window_t active = mirror.activeWindow();
    const auto& stacking = mirror.stacking();  // bottom to top
    for (auto it = stacking.rbegin(); it != stacking.rend(); ++it) {
        const Toplevel* top = mirror.toplevel(*it);
        if (!top || !mirror.isOnScreen(*top) || mirror.isOwnWindow(top->id)) continue;
        const auto kind = kindOf(mirror.role(*top));
        if (!kind) continue;
        ports::Window w;
        w.id = mirror.subjectOf(*top);
        w.frame = mirror.bounds(*top);
        w.kind = *kind;
        w.fullscreen = mirror.isFullscreen(*top);
        w.keepAbove = mirror.keepsAbove(*top);
        w.own = mirror.isOwnProcess(*top);
        // Only the active window's application is ever asked for.
        if (w.id == active) {
            if (auto app = applicationOf(top->id)) {
                w.appId = app->appId;
                w.appName = app->name;
            }
        }
        result.push_back(std::move(w));
    }
    return result;
}

ports::DesktopState X11Desktop::state() {
    if (!connection_.isOpen()) return {};
    WindowMirror& mirror = connection_.windows();
    mirror.refresh();
    const bool switching = scheduler_.now() < switchEnds_;
    const bool overview = overview_ && overview_();
    if (!dirty_ && cached_.switchingWorkspace == switching && cached_.overview == overview)
        return cached_;
    dirty_ = false;
    ports::DesktopState state;
    for (const Monitor& m : connection_.monitors().monitors()) {
        state.monitors.push_back(ports::Monitor{m.id, m.frame, m.visibleFrame});
    }
    state.windows = windows();
    if (const xcb_window_t active = mirror.activeWindow()) {
        const bool listed = std::any_of(state.windows.begin(), state.windows.end(),
                                        [&](const auto& w) { return w.id == active; });
        if (listed) state.active = active;
    }
    state.overview = overview;
    state.switchingWorkspace = switching;
    cached_ = state;
    return state;
}

std::optional<ports::Application> X11Desktop::applicationOf(xcb_window_t window) {
    WindowMirror& mirror = connection_.windows();
    const Toplevel* top = mirror.toplevelFor(window);
    if (!top) return std::nullopt;
    const WindowProps* props = mirror.props(mirror.subjectOf(*top));
    if (!props) return std::nullopt;
    const std::optional<std::string> owner = mirror.ownerName(*top);
    const WindowIdentity identity{props->gtkApplicationId, props->instance, props->wmClass, owner};
    if (auto entry = matcher_.match(identity)) return ports::Application{entry->id, entry->name};
    return ports::Application{std::nullopt,
                              !props->wmClass.empty() ? props->wmClass : owner.value_or("")};
}

std::optional<ports::Application> X11Desktop::frontApplication() {
    if (!connection_.isOpen()) return std::nullopt;
    WindowMirror& mirror = connection_.windows();
    mirror.refresh();
    const xcb_window_t active = mirror.activeWindow();
    return active ? applicationOf(active) : std::nullopt;
}

std::vector<ports::Application> X11Desktop::runningApplications() {
    std::vector<ports::Application> apps;
    if (!connection_.isOpen()) return apps;
    WindowMirror& mirror = connection_.windows();
    mirror.refresh();
    const auto& stacking = mirror.stacking();  // bottom to top
    for (auto it = stacking.rbegin(); it != stacking.rend(); ++it) {
        const Toplevel* top = mirror.toplevel(*it);
        if (!top || !top->client || mirror.isOwnWindow(*it) || mirror.isDesktop(*top)) continue;
        auto app = applicationOf(*it);
        if (app && std::find(apps.begin(), apps.end(), *app) == apps.end()) {
            apps.push_back(std::move(*app));
        }
    }
    return apps;
}

core::Point X11Desktop::pointer() {
    if (!connection_.isOpen()) return {};
    xcb_connection_t* c = connection_.raw();
    auto* reply = xcb_query_pointer_reply(c, xcb_query_pointer(c, connection_.root()), nullptr);
    if (!reply) return {};
    const core::Point p{double(reply->root_x), double(reply->root_y)};
    std::free(reply);
    return p;
}

}  // namespace quorvel::x11
