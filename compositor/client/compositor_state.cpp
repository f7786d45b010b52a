#include "compositor/client/compositor_state.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <limits>

namespace quorvel::compositor {

namespace {

using nlohmann::json;

// The compositor's component is trusted no more than any other peer on the bus: a field of
// the wrong kind makes its record unreadable, not the program.
std::optional<std::string> optionalString(const json& object, const char* key) {
    const auto it = object.find(key);
    if (it == object.end() || !it->is_string()) return std::nullopt;
    return it->get<std::string>();
}

bool readNumber(const json& object, const char* key, double& out) {
    const auto it = object.find(key);
    if (it == object.end() || !it->is_number()) return false;
    out = it->get<double>();
    return std::isfinite(out);
}

bool readFlag(const json& object, const char* key) {
    const auto it = object.find(key);
    return it != object.end() && it->is_boolean() && it->get<bool>();
}

bool readRect(const json& object, core::Rect& out) {
    if (!object.is_object()) return false;
    return readNumber(object, "x", out.x) && readNumber(object, "y", out.y) &&
           readNumber(object, "width", out.width) && readNumber(object, "height", out.height) &&
           out.width >= 0 && out.height >= 0;
}

bool readId(const json& value, std::uint64_t& out) {
    if (!value.is_number_unsigned() && !value.is_number_integer()) return false;
    if (value.is_number_integer() && value.get<std::int64_t>() < 0) return false;
    out = value.get<std::uint64_t>();
    return out != 0;
}

std::optional<CompositorMonitor> readMonitor(const json& m) {
    CompositorMonitor monitor;
    double index = 0;
    if (!readRect(m, monitor.frame) || !readNumber(m, "index", index)) return std::nullopt;
    // No desktop numbers its monitors past a few; a number that is not one
    // would not even fit an int.
    if (index < 0 || index >= 1024) return std::nullopt;
    monitor.index = static_cast<int>(index);
    const auto area = m.find("workArea");
    if (area == m.end() || !readRect(*area, monitor.workArea)) monitor.workArea = monitor.frame;
    monitor.primary = readFlag(m, "primary");
    return monitor;
}

std::optional<CompositorWindow> readWindow(const json& w) {
    CompositorWindow window;
    const auto id = w.find("id");
    if (!w.is_object() || id == w.end() || !readId(*id, window.id)) return std::nullopt;
    if (!readRect(w, window.frame)) return std::nullopt;
    window.app = optionalString(w, "app");
    window.appName = optionalString(w, "appName");
    window.wmClass = optionalString(w, "wmClass");
    window.title = optionalString(w, "title");
    double number = 0;
    if (readNumber(w, "pid", number) && number > 0 && number < 4194305.0)
        window.pid = static_cast<std::int64_t>(number);
    if (readNumber(w, "monitor", number) && number >= 0 && number < 1024)
        window.monitor = static_cast<int>(number);
    if (readNumber(w, "layer", number) && std::abs(number) < 1024)
        window.layer = static_cast<int>(number);
    window.type = optionalString(w, "type").value_or("normal");
    window.minimized = readFlag(w, "minimized");
    window.fullscreen = readFlag(w, "fullscreen");
    window.above = readFlag(w, "above");
    return window;
}

void readLists(const json& root, CompositorState& state) {
    if (const auto it = root.find("monitors"); it != root.end() && it->is_array()) {
        for (const json& m : *it) {
            if (auto monitor = m.is_object() ? readMonitor(m) : std::nullopt)
                state.monitors.push_back(*monitor);
        }
    }
    // The primary first, as the screens port promises.
    std::stable_partition(state.monitors.begin(), state.monitors.end(),
                          [](const CompositorMonitor& m) { return m.primary; });
    if (const auto it = root.find("windows"); it != root.end() && it->is_array()) {
        for (const json& w : *it) {
            if (auto window = readWindow(w)) state.windows.push_back(std::move(*window));
        }
    }
}

}  // namespace

std::optional<CompositorState> parseShellState(std::string_view text, std::string* reason) {
    const auto fail = [reason](const std::string& why) -> std::optional<CompositorState> {
        if (reason) *reason = why;
        return std::nullopt;
    };
    const json root = json::parse(text, nullptr, false);
    if (root.is_discarded() || !root.is_object()) return fail("not a JSON object");
    double version = 0;
    if (!readNumber(root, "version", version) || version != 1.0)
        return fail("an unknown state version");
    CompositorState state;
    state.shellVersion = optionalString(root, "shellVersion").value_or("");
    state.session = optionalString(root, "session").value_or("");
    double workspace = 0;
    if (readNumber(root, "workspace", workspace) && workspace >= 0 && workspace < 1e6)
        state.workspace = static_cast<int>(workspace);
    state.overview = readFlag(root, "overview");
    std::uint64_t focused = 0;
    if (const auto it = root.find("focused"); it != root.end() && readId(*it, focused))
        state.focused = focused;
    readLists(root, state);
    return state;
}

namespace {

ports::WindowKind kindOf(const std::string& type) {
    if (type == "normal") return ports::WindowKind::normal;
    if (type == "dialog" || type == "modal_dialog") return ports::WindowKind::dialog;
    if (type == "utility" || type == "toolbar" || type == "menu") return ports::WindowKind::utility;
    return ports::WindowKind::other;
}

bool isManaged(const std::string& type) {
    // Menus, tooltips and other windows no window manager stacks.
    return type != "dropdown_menu" && type != "popup_menu" && type != "combo" &&
           type != "tooltip" && type != "dnd" && type != "override_other" && type != "notification";
}

}  // namespace

ports::DesktopState desktopState(const CompositorState& state, std::int64_t ownPid) {
    ports::DesktopState desktop;
    for (const CompositorMonitor& m : state.monitors) {
        // Mutter numbers monitors by connector order; the index is what stays
        // put while the set of monitors does.
        desktop.monitors.push_back({std::uint32_t(m.index + 1), m.frame, m.workArea});
    }
    for (const CompositorWindow& w : state.windows) {
        if (w.minimized || w.frame.isEmpty() || !isManaged(w.type)) continue;
        ports::Window window;
        window.id = w.id;
        window.frame = w.frame;
        window.kind = kindOf(w.type);
        window.appId = w.app;
        window.appName = w.appName.value_or(w.wmClass.value_or(""));
        window.fullscreen = w.fullscreen;
        window.keepAbove = w.above;
        window.own = w.pid == ownPid;
        desktop.windows.push_back(std::move(window));
        if (state.focused == w.id) desktop.active = w.id;
    }
    desktop.overview = state.overview;
    return desktop;
}

}  // namespace quorvel::compositor
