// The requests that fill the window mirror. Each batch sends every request
// first and then collects the replies, so a batch costs one round trip.
#include <xcb/res.h>

#include <algorithm>
#include <cstring>
#include <fstream>

#include "x11/connection.h"
#include "x11/property_decoding.h"
#include "x11/window_mirror.h"

namespace quorvel::x11 {

namespace {

xcb_get_property_cookie_t getProperty(xcb_connection_t* c, xcb_window_t w, xcb_atom_t atom) {
    return xcb_get_property(c, 0, w, atom, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024);
}

Reply<xcb_get_property_reply_t> propertyReply(xcb_connection_t* c,
                                              xcb_get_property_cookie_t cookie) {
    auto r = reply(xcb_get_property_reply(c, cookie, nullptr));
    if (r && r->type == XCB_NONE) r.reset();
    return r;
}

// What a reply holds; no reply reads as a missing property. The value is
// valid while the reply lives.
PropertyValue valueOf(const xcb_get_property_reply_t* r) {
    if (!r) return {};
    const auto* data = static_cast<const std::uint8_t*>(xcb_get_property_value(r));
    return {r->format, {data, std::size_t(xcb_get_property_value_length(r))}};
}

struct PropCookies {
    xcb_get_property_cookie_t pid, netName, name, wmClass, type, state, extents, gtkId, gtkExtents;
    std::optional<xcb_res_query_client_ids_cookie_t> res;
};

}  // namespace

void WindowMirror::watch(xcb_window_t window, bool structure) {
    // A managed veil is a client too; selecting here would replace the event
    // mask it draws by (Expose) on this very connection.
    if (own_.count(window) || !watched_.insert(window).second) return;
    const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE |
                               (structure ? std::uint32_t(XCB_EVENT_MASK_STRUCTURE_NOTIFY) : 0u);
    xcb_change_window_attributes(connection_.raw(), window, XCB_CW_EVENT_MASK, &mask);
}

void WindowMirror::resync() {
    needsResync_ = false;
    xcb_connection_t* c = connection_.raw();
    auto tree = reply(xcb_query_tree_reply(c, xcb_query_tree(c, connection_.root()), nullptr));
    if (!tree) return;
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    stacking_.assign(children, children + xcb_query_tree_children_length(tree.get()));
    std::unordered_map<xcb_window_t, Toplevel> previous;
    previous.swap(toplevels_);
    for (xcb_window_t id : stacking_) {
        auto it = previous.find(id);
        toplevels_[id] =
            it != previous.end() ? it->second : Toplevel{id, false, false, false, {}, 0, 0};
    }
    fetchToplevels(stacking_);
    clientListStale_ = true;
}

void WindowMirror::fetchToplevels(const std::vector<xcb_window_t>& ids) {
    xcb_connection_t* c = connection_.raw();
    std::vector<std::pair<xcb_get_window_attributes_cookie_t, xcb_get_geometry_cookie_t>> cookies;
    for (xcb_window_t id : ids)
        cookies.emplace_back(xcb_get_window_attributes(c, id), xcb_get_geometry(c, id));
    for (std::size_t i = 0; i < ids.size(); ++i) {
        auto attributes = reply(xcb_get_window_attributes_reply(c, cookies[i].first, nullptr));
        auto geometry = reply(xcb_get_geometry_reply(c, cookies[i].second, nullptr));
        auto it = toplevels_.find(ids[i]);
        if (it == toplevels_.end()) continue;
        if (!attributes || !geometry) {
            erase(ids[i]);
            continue;
        }
        Toplevel& top = it->second;
        top.mapped = attributes->map_state != XCB_MAP_STATE_UNMAPPED;
        top.overrideRedirect = attributes->override_redirect != 0;
        top.inputOnly = attributes->_class == XCB_WINDOW_CLASS_INPUT_ONLY;
        top.border = geometry->border_width;
        top.geometry = {double(geometry->x), double(geometry->y),
                        double(geometry->width + 2 * geometry->border_width),
                        double(geometry->height + 2 * geometry->border_width)};
    }
}

void WindowMirror::readClientList() {
    clientListStale_ = false;
    xcb_ewmh_connection_t& ewmh = connection_.ewmh();
    xcb_ewmh_get_windows_reply_t list{};
    std::vector<xcb_window_t> clients;
    if (xcb_ewmh_get_client_list_reply(&ewmh, xcb_ewmh_get_client_list(&ewmh, 0), &list, nullptr)) {
        clients.assign(list.windows, list.windows + list.windows_len);
        xcb_ewmh_get_windows_reply_wipe(&list);
    }
    std::sort(clients.begin(), clients.end());
    std::vector<xcb_window_t> gone;
    for (const auto& [client, top] : clientToToplevel_) {
        if (!std::binary_search(clients.begin(), clients.end(), client)) gone.push_back(client);
    }
    for (xcb_window_t client : gone) {
        auto top = toplevels_.find(clientToToplevel_[client]);
        if (top != toplevels_.end() && top->second.client == client) top->second.client = 0;
        clientToToplevel_.erase(client);
    }
    std::vector<xcb_window_t> added;
    for (xcb_window_t client : clients) {
        if (!clientToToplevel_.count(client)) added.push_back(client);
    }
    if (!added.empty()) resolveClients(added);
}

void WindowMirror::resolveClients(const std::vector<xcb_window_t>& added) {
    xcb_connection_t* c = connection_.raw();
    struct Walk {
        xcb_window_t client, current;
    };
    std::vector<Walk> pending;
    for (xcb_window_t client : added) {
        watch(client, true);
        pending.push_back({client, client});
    }
    // Walk up one level per batch until the child of the root is found.
    for (int depth = 0; depth < 6 && !pending.empty(); ++depth) {
        std::vector<xcb_query_tree_cookie_t> cookies;
        for (const Walk& w : pending) cookies.push_back(xcb_query_tree(c, w.current));
        std::vector<Walk> next;
        for (std::size_t i = 0; i < pending.size(); ++i) {
            auto tree = reply(xcb_query_tree_reply(c, cookies[i], nullptr));
            if (!tree) continue;
            const Walk& w = pending[i];
            if (tree->parent != connection_.root()) {
                next.push_back({w.client, tree->parent});
                continue;
            }
            clientToToplevel_[w.client] = w.current;
            staleProps_.insert(w.client);
            auto top = toplevels_.find(w.current);
            if (top != toplevels_.end() && w.current != w.client) {
                top->second.client = w.client;
                staleGeometry_.insert(w.client);
            }
        }
        pending.swap(next);
    }
}

void WindowMirror::fetchProps(const std::vector<xcb_window_t>& subjects) {
    xcb_connection_t* c = connection_.raw();
    xcb_ewmh_connection_t& ewmh = connection_.ewmh();
    std::vector<PropCookies> cookies;
    for (xcb_window_t w : subjects) {
        const Toplevel* top = toplevelFor(w);
        watch(w, top && top->id != w);
        PropCookies k{getProperty(c, w, ewmh._NET_WM_PID),
                      getProperty(c, w, ewmh._NET_WM_NAME),
                      getProperty(c, w, connection_.atom(Atom::WmName)),
                      getProperty(c, w, connection_.atom(Atom::WmClass)),
                      getProperty(c, w, ewmh._NET_WM_WINDOW_TYPE),
                      getProperty(c, w, ewmh._NET_WM_STATE),
                      getProperty(c, w, ewmh._NET_FRAME_EXTENTS),
                      getProperty(c, w, connection_.atom(Atom::GtkApplicationId)),
                      getProperty(c, w, connection_.atom(Atom::GtkFrameExtents)),
                      std::nullopt};
        if (connection_.hasXRes()) {
            xcb_res_client_id_spec_t spec{w, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
            k.res = xcb_res_query_client_ids(c, 1, &spec);
        }
        cookies.push_back(k);
    }
    for (std::size_t i = 0; i < subjects.size(); ++i) {
        PropCookies& k = cookies[i];
        WindowProps p;
        if (auto pid = decodeCardinals(valueOf(propertyReply(c, k.pid).get())); !pid.empty())
            p.netPid = pid.front();
        p.title = decodeText(valueOf(propertyReply(c, k.netName).get()));
        if (!p.title)
            p.title = decodeText(valueOf(propertyReply(c, k.name).get()));
        else
            xcb_discard_reply(c, k.name.sequence);
        if (auto names = decodeWmClass(valueOf(propertyReply(c, k.wmClass).get()))) {
            p.instance = std::move(names->instance);
            p.wmClass = std::move(names->wmClass);
        }
        p.types = decodeCardinals(valueOf(propertyReply(c, k.type).get()));
        p.states = decodeCardinals(valueOf(propertyReply(c, k.state).get()));
        const auto extents = decodeFourValues(valueOf(propertyReply(c, k.extents).get()));
        std::copy(extents.begin(), extents.end(), p.extents);
        p.gtkApplicationId = decodeText(valueOf(propertyReply(c, k.gtkId).get()));
        const auto gtkExtents = decodeFourValues(valueOf(propertyReply(c, k.gtkExtents).get()));
        std::copy(gtkExtents.begin(), gtkExtents.end(), p.gtkExtents);
        if (k.res) {
            auto ids = reply(xcb_res_query_client_ids_reply(c, *k.res, nullptr));
            if (ids) {
                for (auto it = xcb_res_query_client_ids_ids_iterator(ids.get()); it.rem > 0;
                     xcb_res_client_id_value_next(&it)) {
                    if ((it.data->spec.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID) &&
                        it.data->length >= 4) {
                        p.resPid = *xcb_res_client_id_value_value(it.data);
                    }
                }
            }
        }
        props_[subjects[i]] = std::move(p);
    }
}

void WindowMirror::fetchClientGeometry(const std::vector<xcb_window_t>& clients) {
    xcb_connection_t* c = connection_.raw();
    struct Cookies {
        xcb_window_t client;
        const Toplevel* top;
        xcb_translate_coordinates_cookie_t position;
        xcb_get_geometry_cookie_t size;
    };
    std::vector<Cookies> cookies;
    for (xcb_window_t client : clients) {
        const Toplevel* top = toplevelFor(client);
        if (!top || top->id == client) continue;
        cookies.push_back({client, top, xcb_translate_coordinates(c, client, top->id, 0, 0),
                           xcb_get_geometry(c, client)});
    }
    for (const Cookies& k : cookies) {
        auto position = reply(xcb_translate_coordinates_reply(c, k.position, nullptr));
        auto size = reply(xcb_get_geometry_reply(c, k.size, nullptr));
        if (!position || !size) continue;
        // Translation is relative to the frame's inside; offsets are from its outer corner.
        clientGeometry_[k.client] = {double(position->dst_x + std::int32_t(k.top->border)),
                                     double(position->dst_y + std::int32_t(k.top->border)),
                                     double(size->width), double(size->height)};
    }
}

void WindowMirror::readActive() {
    activeStale_ = false;
    xcb_ewmh_connection_t& ewmh = connection_.ewmh();
    xcb_window_t active = 0;
    if (!xcb_ewmh_get_active_window_reply(&ewmh, xcb_ewmh_get_active_window(&ewmh, 0), &active,
                                          nullptr))
        active = 0;
    if (active == active_) return;
    active_ = active;
    activeChanged_.emit(active_);
}

}  // namespace quorvel::x11
