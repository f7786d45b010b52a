// Test helper: prints what the X server stacks, as JSON: the active window and
// every child of the root, front to back, each with whether it is viewable,
// where it lies on the screen, its name and WM_CLASS, and the windows inside it
// that have a name or a class (a window manager's frame holds its client). The
// stacking is one QueryTree; what each window says is asked of a whole level
// of the tree at once, so a desktop test reads the screen's order in a few
// round trips, not a process per window.
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

template <typename T>
std::unique_ptr<T, decltype(&std::free)> own(T* p) {
    return {p, &std::free};
}

struct Row {
    explicit Row(xcb_window_t window) : id(window) {}
    xcb_window_t id = 0;
    int x = 0, y = 0, width = 0, height = 0;  // inside the border, on the screen
    bool viewable = false;
    std::string name, instance, cls;
    std::vector<Row> inner;
};

std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (unsigned char ch : text) {
        if (ch == '"' || ch == '\\') out += '\\';
        if (ch < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", ch);
            out += escape;
        } else {
            out += char(ch);
        }
    }
    return out + "\"";
}

std::string text(xcb_get_property_reply_t* reply) {
    if (!reply || reply->format != 8) return {};
    return {static_cast<const char*>(xcb_get_property_value(reply)),
            std::size_t(xcb_get_property_value_length(reply))};
}

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    auto r = own(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, std::uint16_t(std::strlen(name)), name), nullptr));
    return r ? r->atom : XCB_NONE;
}

struct Asked {
    xcb_get_window_attributes_cookie_t attributes;
    xcb_get_geometry_cookie_t geometry;
    xcb_query_tree_cookie_t tree;
    xcb_get_property_cookie_t name, netName, cls;
};

struct Reader {
    xcb_connection_t* c;
    xcb_atom_t netName, utf8;

    Asked ask(xcb_window_t id) const {
        return {xcb_get_window_attributes(c, id),
                xcb_get_geometry(c, id),
                xcb_query_tree(c, id),
                xcb_get_property(c, 0, id, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 256),
                xcb_get_property(c, 0, id, netName, utf8, 0, 256),
                xcb_get_property(c, 0, id, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 256)};
    }
    /// Fills `row` (inside a parent whose inside starts at `origin`) from the
    /// replies; its children, front to back, go to the end of `children`.
    void fill(Row& row, const Asked& asked, std::pair<int, int> origin,
              std::vector<Row>& children) const {
        auto attributes = own(xcb_get_window_attributes_reply(c, asked.attributes, nullptr));
        auto geometry = own(xcb_get_geometry_reply(c, asked.geometry, nullptr));
        auto tree = own(xcb_query_tree_reply(c, asked.tree, nullptr));
        auto name = own(xcb_get_property_reply(c, asked.name, nullptr));
        auto netNameReply = own(xcb_get_property_reply(c, asked.netName, nullptr));
        auto cls = own(xcb_get_property_reply(c, asked.cls, nullptr));
        row.viewable = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
        if (geometry) {
            row.x = origin.first + geometry->x + geometry->border_width;
            row.y = origin.second + geometry->y + geometry->border_width;
            row.width = geometry->width;
            row.height = geometry->height;
        }
        row.name = text(netNameReply.get());
        if (row.name.empty()) row.name = text(name.get());
        const std::string classes = text(cls.get());
        row.instance = classes.c_str();
        if (row.instance.size() < classes.size())
            row.cls = classes.c_str() + row.instance.size() + 1;
        if (!tree) return;
        const xcb_window_t* ids = xcb_query_tree_children(tree.get());
        for (int k = xcb_query_tree_children_length(tree.get()); k-- > 0;)
            children.emplace_back(ids[k]);
    }
    /// Fills `rows` (one level of the tree, each inside a parent whose inside
    /// starts at its `origins` entry) and the levels below them.
    void read(std::vector<Row>& rows, const std::vector<std::pair<int, int>>& origins) {
        std::vector<Asked> asked;
        for (const Row& row : rows) asked.push_back(ask(row.id));
        std::vector<std::size_t> counts;
        std::vector<std::pair<int, int>> below;
        std::vector<Row> children;  // every child of this level, parent by parent
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const std::size_t before = children.size();
            fill(rows[i], asked[i], origins[i], children);
            counts.push_back(children.size() - before);
            below.resize(children.size(), {rows[i].x, rows[i].y});
        }
        if (children.empty()) return;
        read(children, below);
        // Under each window, each child followed by its own descendants.
        std::size_t next = 0;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            for (std::size_t k = 0; k < counts[i]; ++k, ++next) {
                std::vector<Row> descendants = std::move(children[next].inner);
                children[next].inner.clear();
                // Decorations (no name, no class) say nothing a test asks.
                if (!children[next].name.empty() || !children[next].cls.empty())
                    rows[i].inner.push_back(std::move(children[next]));
                for (Row& d : descendants) rows[i].inner.push_back(std::move(d));
            }
        }
    }
};

void print(const Row& row, bool withInner) {
    std::printf("{\"id\": %u, \"viewable\": %s, \"x\": %d, \"y\": %d, \"w\": %d, \"h\": %d, ",
                row.id, row.viewable ? "true" : "false", row.x, row.y, row.width, row.height);
    std::printf("\"name\": %s, \"cls\": [%s, %s]", quoted(row.name).c_str(),
                quoted(row.instance).c_str(), quoted(row.cls).c_str());
    if (withInner) {
        std::printf(", \"inner\": [");
        for (std::size_t i = 0; i < row.inner.size(); ++i) {
            if (i) std::printf(", ");
            print(row.inner[i], false);
        }
        std::printf("]");
    }
    std::printf("}");
}

}  // namespace

int main() {
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "stacking_dump: cannot open the display\n");
        return 69;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    Reader reader{c, atom(c, "_NET_WM_NAME"), atom(c, "UTF8_STRING")};
    const xcb_atom_t activeAtom = atom(c, "_NET_ACTIVE_WINDOW");
    auto active = own(xcb_get_property_reply(
        c, xcb_get_property(c, 0, root, activeAtom, XCB_ATOM_WINDOW, 0, 1), nullptr));
    auto tree = own(xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr));
    std::vector<Row> rows;
    if (tree) {
        const xcb_window_t* ids = xcb_query_tree_children(tree.get());
        for (int k = xcb_query_tree_children_length(tree.get()) - 1; k >= 0; --k)
            rows.emplace_back(ids[k]);
    }
    reader.read(rows, std::vector<std::pair<int, int>>(rows.size(), {0, 0}));
    const bool hasActive = active && xcb_get_property_value_length(active.get()) == 4;
    std::printf("{\"active\": %u, \"windows\": [",
                hasActive ? *static_cast<xcb_window_t*>(xcb_get_property_value(active.get())) : 0);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (i) std::printf(",\n ");
        print(rows[i], true);
    }
    std::printf("]}\n");
    xcb_disconnect(c);
    return 0;
}
