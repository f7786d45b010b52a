// How the mirror's raw X facts read as what a window is.
#include <algorithm>
#include <fstream>

#include "x11/connection.h"
#include "x11/window_mirror.h"

namespace quorvel::x11 {

namespace {

bool has(const std::vector<xcb_atom_t>& atoms, xcb_atom_t atom) {
    return std::find(atoms.begin(), atoms.end(), atom) != atoms.end();
}

bool allPresent(const std::optional<std::uint32_t> (&values)[4]) {
    return std::all_of(std::begin(values), std::end(values),
                       [](const auto& v) { return v.has_value(); });
}

}  // namespace

core::Rect WindowMirror::bounds(const Toplevel& top) const {
    core::Rect rect = top.geometry;
    const WindowProps* p = props(subjectOf(top));
    auto client = top.client ? clientGeometry_.find(top.client) : clientGeometry_.end();
    if (client != clientGeometry_.end()) {
        const ClientGeometry& g = client->second;
        rect = {top.geometry.x + g.offsetX, top.geometry.y + g.offsetY, g.width, g.height};
        if (p && allPresent(p->extents)) {
            const double l = *p->extents[0], r = *p->extents[1], t = *p->extents[2],
                         b = *p->extents[3];
            return {rect.x - l, rect.y - t, rect.width + l + r, rect.height + t + b};
        }
        if (!p || !allPresent(p->gtkExtents)) return top.geometry;
    }
    if (p && allPresent(p->gtkExtents)) {
        // Client-side decorations draw their shadow inside the window; the
        // window the user sees is smaller.
        const double l = *p->gtkExtents[0], r = *p->gtkExtents[1], t = *p->gtkExtents[2],
                     b = *p->gtkExtents[3];
        if (rect.width > l + r && rect.height > t + b)
            return {rect.x + l, rect.y + t, rect.width - l - r, rect.height - t - b};
    }
    return rect;
}

bool WindowMirror::isDesktop(const Toplevel& top) const {
    const WindowProps* p = props(subjectOf(top));
    return p && has(p->types, connection_.ewmh()._NET_WM_WINDOW_TYPE_DESKTOP) &&
           !isOwnWindow(top.id);
}

WindowRole WindowMirror::role(const Toplevel& top) const {
    if (isOwnWindow(top.id)) return WindowRole::normal;
    const WindowProps* p = props(subjectOf(top));
    if (!p) return top.isUnmanaged() ? WindowRole::popup : WindowRole::normal;
    const xcb_ewmh_connection_t& e = connection_.ewmh();
    if (has(p->types, e._NET_WM_WINDOW_TYPE_DESKTOP)) return WindowRole::desktop;
    if (has(p->types, e._NET_WM_WINDOW_TYPE_DOCK)) return WindowRole::dock;
    for (xcb_atom_t type : {e._NET_WM_WINDOW_TYPE_DROPDOWN_MENU, e._NET_WM_WINDOW_TYPE_POPUP_MENU,
                            e._NET_WM_WINDOW_TYPE_COMBO, e._NET_WM_WINDOW_TYPE_TOOLTIP,
                            e._NET_WM_WINDOW_TYPE_NOTIFICATION, e._NET_WM_WINDOW_TYPE_DND,
                            e._NET_WM_WINDOW_TYPE_SPLASH}) {
        if (has(p->types, type)) return WindowRole::popup;
    }
    // Whatever else an unmanaged window is, no window manager stacks it.
    if (top.isUnmanaged()) return WindowRole::popup;
    // The first type the window names that we know wins; an untyped window is a normal one.
    for (xcb_atom_t type : p->types) {
        if (type == e._NET_WM_WINDOW_TYPE_NORMAL) return WindowRole::normal;
        if (type == e._NET_WM_WINDOW_TYPE_DIALOG) return WindowRole::dialog;
        if (type == e._NET_WM_WINDOW_TYPE_UTILITY || type == e._NET_WM_WINDOW_TYPE_TOOLBAR ||
            type == e._NET_WM_WINDOW_TYPE_MENU) {
            return WindowRole::utility;
        }
    }
    return WindowRole::normal;
}

bool WindowMirror::keepsAbove(const Toplevel& top) const {
    const WindowProps* p = props(subjectOf(top));
    return p && has(p->states, connection_.ewmh()._NET_WM_STATE_ABOVE);
}

bool WindowMirror::isFullscreen(const Toplevel& top) const {
    const WindowProps* p = props(subjectOf(top));
    return p && has(p->states, connection_.ewmh()._NET_WM_STATE_FULLSCREEN);
}

bool WindowMirror::isOwnProcess(const Toplevel& top) const {
    if (isOwnWindow(top.id)) return false;
    const WindowProps* p = props(subjectOf(top));
    if (!p) return false;
    for (const auto& pid : {p->netPid, p->resPid}) {
        if (pid && pid_t(*pid) == connection_.ownPid()) return true;
    }
    return false;
}

bool WindowMirror::isOnScreen(const Toplevel& top) const {
    if (!top.mapped || top.inputOnly || top.geometry.isEmpty()) return false;
    const WindowProps* p = props(subjectOf(top));
    return !(p && has(p->states, connection_.ewmh()._NET_WM_STATE_HIDDEN));
}

std::optional<std::string> WindowMirror::ownerName(const Toplevel& top) {
    if (isOwnWindow(top.id)) return "Quorvel";
    const WindowProps* p = props(subjectOf(top));
    if (!p) return std::nullopt;
    for (const auto& pid : {p->netPid, p->resPid}) {
        if (!pid || *pid == 0) continue;
        if (pid_t(*pid) == connection_.ownPid()) return "Quorvel";
        auto cached = processNames_.find(*pid);
        if (cached != processNames_.end()) return cached->second;
        std::ifstream comm("/proc/" + std::to_string(*pid) + "/comm");
        std::string name;
        if (std::getline(comm, name) && !name.empty()) {
            if (processNames_.size() > 1024) processNames_.clear();
            return processNames_[*pid] = name;
        }
    }
    if (!p->wmClass.empty()) return p->wmClass;
    return std::nullopt;
}

}  // namespace quorvel::x11
