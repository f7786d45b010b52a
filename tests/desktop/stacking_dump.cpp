// Test helper: prints what the X server stacks, as JSON: the active window and
// every child of the root, front to back, each with whether it is viewable,
// where it lies on the screen, its name and WM_CLASS, and the windows inside it
// that have a name or a class (a window manager's frame holds its client). One
// process and a round trip per window, where xwininfo takes a process per
// window: a desktop test can read the stacking many times during a switch.
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

xcb_connection_t* c = nullptr;
xcb_atom_t netName = XCB_NONE, utf8 = XCB_NONE;

template <typename T>
std::unique_ptr<T, decltype(&std::free)> own(T* p) {
    return {p, &std::free};
}

xcb_atom_t atom(const char* name) {
    auto r = own(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, std::uint16_t(std::strlen(name)), name), nullptr));
    return r ? r->atom : XCB_NONE;
}

std::string text(xcb_get_property_cookie_t cookie) {
    auto r = own(xcb_get_property_reply(c, cookie, nullptr));
    if (!r || r->format != 8) return {};
    return {static_cast<const char*>(xcb_get_property_value(r.get())),
            std::size_t(xcb_get_property_value_length(r.get()))};
}

std::string quoted(const std::string& raw) {
    std::string out = "\"";
    for (unsigned char ch : raw) {
        char escaped[8];
        const bool plain = ch >= 0x20 && ch != '"' && ch != '\\';
        std::snprintf(escaped, sizeof escaped, plain ? "%c" : "\\u%04x", ch);
        out += escaped;
    }
    return out + "\"";
}

struct Window {
    int x = 0, y = 0;                    // of its inside, on the screen
    std::string json;                    // without the closing brace
    std::vector<xcb_window_t> children;  // front to back
    bool named = false;
};

/// Reads `id`, inside a parent whose inside starts at (x0, y0), in one round trip.
Window read(xcb_window_t id, int x0, int y0) {
    const auto attributes = xcb_get_window_attributes(c, id);
    const auto geometry = xcb_get_geometry(c, id);
    const auto tree = xcb_query_tree(c, id);
    const auto wmName = xcb_get_property(c, 0, id, XCB_ATOM_WM_NAME, XCB_ATOM_ANY, 0, 256);
    const auto name = xcb_get_property(c, 0, id, netName, utf8, 0, 256);
    const auto cls = xcb_get_property(c, 0, id, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 256);
    auto a = own(xcb_get_window_attributes_reply(c, attributes, nullptr));
    auto g = own(xcb_get_geometry_reply(c, geometry, nullptr));
    auto t = own(xcb_query_tree_reply(c, tree, nullptr));
    Window w;
    if (g) {
        w.x = x0 + g->x + g->border_width;
        w.y = y0 + g->y + g->border_width;
    }
    std::string title = text(name), classes = text(cls);
    if (title.empty()) title = text(wmName);
    const std::string instance = classes.c_str();
    const std::string klass =
        instance.size() < classes.size() ? classes.c_str() + instance.size() + 1 : "";
    w.named = !title.empty() || !classes.empty();
    char head[160];
    std::snprintf(head, sizeof head,
                  "{\"id\": %u, \"viewable\": %s, \"x\": %d, \"y\": %d, \"w\": %d, \"h\": %d", id,
                  a && a->map_state == XCB_MAP_STATE_VIEWABLE ? "true" : "false", w.x, w.y,
                  g ? g->width : 0, g ? g->height : 0);
    w.json = std::string(head) + ", \"name\": " + quoted(title) + ", \"cls\": [" +
             quoted(instance) + ", " + quoted(klass) + "]";
    const xcb_window_t* ids = t ? xcb_query_tree_children(t.get()) : nullptr;
    for (int k = t ? xcb_query_tree_children_length(t.get()) : 0; k-- > 0;)
        w.children.push_back(ids[k]);
    return w;
}

/// Appends the named windows below `parent`, each followed by its own.
void inner(const Window& parent, std::string& out) {
    for (xcb_window_t id : parent.children) {
        const Window w = read(id, parent.x, parent.y);
        if (w.named) out += (out.empty() ? "" : ", ") + w.json + "}";
        inner(w, out);
    }
}

}  // namespace

int main() {
    c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "stacking_dump: cannot open the display\n");
        return 69;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    netName = atom("_NET_WM_NAME");
    utf8 = atom("UTF8_STRING");
    auto active = own(xcb_get_property_reply(
        c, xcb_get_property(c, 0, root, atom("_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW, 0, 1),
        nullptr));
    const bool hasActive = active && xcb_get_property_value_length(active.get()) == 4;
    std::printf("{\"active\": %u, \"windows\": [",
                hasActive ? *static_cast<xcb_window_t*>(xcb_get_property_value(active.get())) : 0);
    const char* separator = "";
    for (xcb_window_t id : read(root, 0, 0).children) {
        const Window w = read(id, 0, 0);
        std::string below;
        inner(w, below);
        std::printf("%s%s, \"inner\": [%s]}", separator, w.json.c_str(), below.c_str());
        separator = ",\n ";
    }
    std::printf("]}\n");
    xcb_disconnect(c);
    return 0;
}
