#include "x11/x11_workspace.h"

#include <algorithm>

#include "x11/connection.h"
#include "x11/window_mirror.h"

namespace quorvel::x11 {

X11Workspace::X11Workspace(Connection& connection, const ports::AppCatalog& catalog)
    : connection_(connection), matcher_(catalog) {
    if (!connection_.isOpen()) return;
    WindowMirror& mirror = connection_.windows();
    activeConnection_ =
        mirror.activeWindowChanged().connect([this](xcb_window_t) { activeWindowChanged(); });
    // The mirror's own handler runs first and marks the active window stale;
    // reading it here tells observers without waiting for the next sample.
    handler_ = connection_.addEventHandler([this](const xcb_generic_event_t& event) {
        if ((event.response_type & 0x7f) != XCB_PROPERTY_NOTIFY) return;
        const auto& e = reinterpret_cast<const xcb_property_notify_event_t&>(event);
        if (e.window == connection_.root() && e.atom == connection_.ewmh()._NET_ACTIVE_WINDOW) {
            connection_.windows().refresh();
        }
    });
    mirror.refresh();
    lastFront_ = frontmostApplication();
}

X11Workspace::~X11Workspace() {
    if (handler_) connection_.removeEventHandler(handler_);
}

std::optional<ports::RunningApplication> X11Workspace::frontmostApplication() const {
    if (!connection_.isOpen()) return std::nullopt;
    WindowMirror& mirror = connection_.windows();
    mirror.refresh();
    const xcb_window_t active = mirror.activeWindow();
    return active ? applicationOf(active) : std::nullopt;
}

std::vector<ports::RunningApplication> X11Workspace::runningApplications() const {
    std::vector<ports::RunningApplication> apps;
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

std::optional<ports::RunningApplication> X11Workspace::applicationOf(
    std::uint32_t window) const {
    WindowMirror& mirror = connection_.windows();
    const Toplevel* top = mirror.toplevelFor(window);
    if (!top) return std::nullopt;
    const WindowProps* props = mirror.props(mirror.subjectOf(*top));
    if (!props) return std::nullopt;
    const std::optional<std::string> owner = mirror.ownerName(*top);
    WindowIdentity identity{props->gtkApplicationId, props->instance, props->wmClass, owner};
    ports::RunningApplication app;
    if (auto entry = matcher_.match(identity)) {
        app.bundleId = entry->id;
        app.name = entry->name;
    } else {
        app.name = !props->wmClass.empty() ? props->wmClass : owner.value_or("");
    }
    return app;
}

void X11Workspace::activeWindowChanged() {
    const auto front = frontmostApplication();
    if (front == lastFront_) return;
    lastFront_ = front;
    if (!front) return;
    observers_.notify(
        [&front](ports::WorkspaceEvents& observer) { observer.didActivateApplication(*front); });
}

void X11Workspace::addObserver(ports::WorkspaceEvents& observer) {
    observers_.add(observer);
}

void X11Workspace::removeObserver(ports::WorkspaceEvents& observer) {
    observers_.remove(observer);
}

}  // namespace quorvel::x11
