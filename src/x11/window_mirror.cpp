#include "x11/window_mirror.h"

#include <algorithm>

#include "x11/connection.h"

namespace quorvel::x11 {

WindowMirror::WindowMirror(Connection& connection) : connection_(connection) {
    if (!connection_.isOpen()) return;
    handler_ = connection_.addEventHandler([this](const xcb_generic_event_t& e) { handle(e); });
}

WindowMirror::~WindowMirror() {
    if (handler_) connection_.removeEventHandler(handler_);
}

void WindowMirror::refresh() {
    if (!connection_.isOpen()) return;
    connection_.processEvents();
    if (needsResync_) resync();
    if (clientListStale_) readClientList();
    if (!staleToplevels_.empty()) {
        std::vector<xcb_window_t> ids(staleToplevels_.begin(), staleToplevels_.end());
        staleToplevels_.clear();
        fetchToplevels(ids);
    }
    for (const auto& [id, top] : toplevels_) {
        if (top.mapped && !top.inputOnly && !props_.count(subjectOf(top)))
            staleProps_.insert(subjectOf(top));
    }
    if (!staleProps_.empty()) {
        std::vector<xcb_window_t> ids(staleProps_.begin(), staleProps_.end());
        staleProps_.clear();
        fetchProps(ids);
    }
    if (!staleGeometry_.empty()) {
        std::vector<xcb_window_t> ids(staleGeometry_.begin(), staleGeometry_.end());
        staleGeometry_.clear();
        fetchClientGeometry(ids);
    }
    if (activeStale_) readActive();
}

const Toplevel* WindowMirror::toplevel(xcb_window_t id) const {
    auto it = toplevels_.find(id);
    return it == toplevels_.end() ? nullptr : &it->second;
}

const Toplevel* WindowMirror::toplevelFor(xcb_window_t window) const {
    if (const Toplevel* top = toplevel(window)) return top;
    auto it = clientToToplevel_.find(window);
    return it == clientToToplevel_.end() ? nullptr : toplevel(it->second);
}

const WindowProps* WindowMirror::props(xcb_window_t subject) const {
    auto it = props_.find(subject);
    return it == props_.end() ? nullptr : &it->second;
}

bool WindowMirror::isOwnWindow(xcb_window_t id) const {
    if (own_.count(id)) return true;
    const Toplevel* top = toplevel(id);
    return top && top->client && own_.count(top->client);
}

void WindowMirror::handle(const xcb_generic_event_t& event) {
    const std::uint8_t type = event.response_type & 0x7f;
    noteChange(type, event);
    if (type != XCB_PROPERTY_NOTIFY) ++stackingEvents_;
    const xcb_window_t root = connection_.root();
    switch (type) {
        case XCB_CREATE_NOTIFY: {
            const auto& e = reinterpret_cast<const xcb_create_notify_event_t&>(event);
            if (e.parent != root || toplevels_.count(e.window)) break;
            Toplevel top;
            top.id = e.window;
            top.overrideRedirect = e.override_redirect != 0;
            top.border = e.border_width;
            top.geometry = {double(e.x), double(e.y), double(e.width + 2 * e.border_width),
                            double(e.height + 2 * e.border_width)};
            toplevels_[e.window] = top;
            stacking_.push_back(e.window);
            staleToplevels_.insert(e.window);  // the window class is not in the event
            break;
        }
        case XCB_DESTROY_NOTIFY:
            erase(reinterpret_cast<const xcb_destroy_notify_event_t&>(event).window);
            break;
        case XCB_REPARENT_NOTIFY:
            handleReparent(reinterpret_cast<const xcb_reparent_notify_event_t&>(event));
            break;
        case XCB_MAP_NOTIFY:
            noteMapped(reinterpret_cast<const xcb_map_notify_event_t&>(event).window, true);
            break;
        case XCB_UNMAP_NOTIFY: {
            const auto& e = reinterpret_cast<const xcb_unmap_notify_event_t&>(event);
            if (e.event == root) noteMapped(e.window, false);
            break;
        }
        case XCB_CONFIGURE_NOTIFY:
            handleConfigure(reinterpret_cast<const xcb_configure_notify_event_t&>(event));
            break;
        case XCB_CIRCULATE_NOTIFY: {
            const auto& e = reinterpret_cast<const xcb_circulate_notify_event_t&>(event);
            if (!toplevels_.count(e.window)) break;
            ++toplevels_[e.window].moves;
            std::erase(stacking_, e.window);
            if (e.place == XCB_PLACE_ON_TOP)
                stacking_.push_back(e.window);
            else
                stacking_.insert(stacking_.begin(), e.window);
            break;
        }
        case XCB_PROPERTY_NOTIFY:
            handlePropertyNotify(reinterpret_cast<const xcb_property_notify_event_t&>(event));
            break;
        default:
            break;
    }
}

void WindowMirror::noteChange(std::uint8_t type, const xcb_generic_event_t& event) {
    xcb_window_t window = XCB_NONE;
    switch (type) {
        case XCB_CONFIGURE_NOTIFY: {
            const auto& e = reinterpret_cast<const xcb_configure_notify_event_t&>(event);
            if (e.event != connection_.root()) return;  // a client inside its frame
            window = e.window;
            break;
        }
        case XCB_MAP_NOTIFY:
            window = reinterpret_cast<const xcb_map_notify_event_t&>(event).window;
            break;
        case XCB_UNMAP_NOTIFY:
            window = reinterpret_cast<const xcb_unmap_notify_event_t&>(event).window;
            break;
        case XCB_DESTROY_NOTIFY:
            window = reinterpret_cast<const xcb_destroy_notify_event_t&>(event).window;
            break;
        case XCB_CIRCULATE_NOTIFY:
            window = reinterpret_cast<const xcb_circulate_notify_event_t&>(event).window;
            break;
        case XCB_PROPERTY_NOTIFY: {
            const auto& e = reinterpret_cast<const xcb_property_notify_event_t&>(event);
            const xcb_ewmh_connection_t& ewmh = connection_.ewmh();
            if (e.window == connection_.root()) {
                if (e.atom == ewmh._NET_ACTIVE_WINDOW || e.atom == ewmh._NET_CLIENT_LIST_STACKING)
                    changed_.emit();
                return;
            }
            // Minimising, fullscreen and the like.
            if (e.atom != ewmh._NET_WM_STATE) return;
            window = e.window;
            break;
        }
        default:
            return;
    }
    if (!isOwnWindow(window)) changed_.emit();
}

void WindowMirror::handleReparent(const xcb_reparent_notify_event_t& e) {
    if (e.parent == connection_.root()) {
        if (!toplevels_.count(e.window)) {
            clientToToplevel_.erase(e.window);
            toplevels_[e.window] =
                Toplevel{e.window, false, e.override_redirect != 0, false, {}, 0, 0, 0};
            stacking_.push_back(e.window);
            staleToplevels_.insert(e.window);
        }
    } else if (toplevels_.count(e.window)) {
        std::erase(stacking_, e.window);
        toplevels_.erase(e.window);
        clientListStale_ = true;  // a window manager took it; learn where it went
    } else if (clientToToplevel_.count(e.window)) {
        clientListStale_ = true;
        clientToToplevel_.erase(e.window);
    }
}

void WindowMirror::handleConfigure(const xcb_configure_notify_event_t& e) {
    if (e.window == connection_.root()) return;
    if (e.event == connection_.root()) {
        auto it = toplevels_.find(e.window);
        if (it == toplevels_.end()) return;
        it->second.border = e.border_width;
        it->second.geometry = {double(e.x), double(e.y), double(e.width + 2 * e.border_width),
                               double(e.height + 2 * e.border_width)};
        it->second.overrideRedirect = e.override_redirect != 0;
        auto self = std::find(stacking_.begin(), stacking_.end(), e.window);
        const bool bottom = self == stacking_.begin() || self == stacking_.end();
        if ((bottom ? XCB_NONE : *std::prev(self)) != e.above_sibling) ++it->second.moves;
        place(e.window, e.above_sibling, true);
        return;
    }
    auto client = clientGeometry_.find(e.window);
    if (client != clientGeometry_.end()) {
        client->second.width = e.width;
        client->second.height = e.height;
    }
    staleGeometry_.insert(e.window);
}

void WindowMirror::handlePropertyNotify(const xcb_property_notify_event_t& e) {
    xcb_ewmh_connection_t& ewmh = connection_.ewmh();
    if (e.window == connection_.root()) {
        if (e.atom == ewmh._NET_CLIENT_LIST) clientListStale_ = true;
        if (e.atom == ewmh._NET_ACTIVE_WINDOW) activeStale_ = true;
        return;
    }
    // Only the properties the list reads; many clients touch others (user
    // time, icons) on every key press.
    const xcb_atom_t a = e.atom;
    const bool relevant = a == ewmh._NET_WM_NAME || a == connection_.atom(Atom::WmName) ||
                          a == connection_.atom(Atom::WmClass) || a == ewmh._NET_WM_PID ||
                          a == ewmh._NET_WM_WINDOW_TYPE || a == ewmh._NET_WM_STATE ||
                          a == ewmh._NET_FRAME_EXTENTS ||
                          a == connection_.atom(Atom::GtkApplicationId) ||
                          a == connection_.atom(Atom::GtkFrameExtents);
    if (relevant && props_.count(e.window)) staleProps_.insert(e.window);
}

void WindowMirror::place(xcb_window_t window, xcb_window_t sibling, bool above) {
    std::erase(stacking_, window);
    if (sibling == XCB_NONE) {
        if (above)
            stacking_.insert(stacking_.begin(), window);
        else
            stacking_.push_back(window);
        return;
    }
    auto it = std::find(stacking_.begin(), stacking_.end(), sibling);
    if (it == stacking_.end()) {
        // A sibling we never heard of: our picture is wrong, read it again.
        stacking_.push_back(window);
        needsResync_ = true;
        return;
    }
    stacking_.insert(above ? it + 1 : it, window);
}

void WindowMirror::noteMapped(xcb_window_t window, bool mapped) {
    auto it = toplevels_.find(window);
    if (it != toplevels_.end()) it->second.mapped = mapped;
}

void WindowMirror::erase(xcb_window_t window) {
    if (toplevels_.erase(window)) std::erase(stacking_, window);
    auto client = clientToToplevel_.find(window);
    if (client != clientToToplevel_.end()) {
        auto top = toplevels_.find(client->second);
        if (top != toplevels_.end() && top->second.client == window) top->second.client = 0;
        clientToToplevel_.erase(client);
    }
    clientGeometry_.erase(window);
    props_.erase(window);
    watched_.erase(window);
    staleProps_.erase(window);
    staleGeometry_.erase(window);
    staleToplevels_.erase(window);
}

}  // namespace quorvel::x11
