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
    double number = 0;
    if (readNumber(w, "monitor", number) && number >= 0 && number < 1024)
        window.monitor = static_cast<int>(number);
    window.type = optionalString(w, "type").value_or("normal");
    window.fullscreen = readFlag(w, "fullscreen");
    window.above = readFlag(w, "above");
    window.own = readFlag(w, "own");
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

void readWorkspace(const json& root, CompositorState& state) {
    const auto it = root.find("workspace");
    if (it == root.end() || !it->is_object()) return;
    double index = 0;
    if (readNumber(*it, "index", index) && index >= 0 && index < 1e6)
        state.workspace = static_cast<int>(index);
    state.switchingWorkspace = readFlag(*it, "switching");
}

void readTrayItem(const json& root, CompositorState& state) {
    const auto it = root.find("trayItem");
    core::Rect frame;
    if (it != root.end() && readRect(*it, frame)) state.trayItem = frame;
}

}  // namespace

std::optional<CompositorState> parseCompositorState(std::string_view text, std::string* reason) {
    const auto fail = [reason](const std::string& why) -> std::optional<CompositorState> {
        if (reason) *reason = why;
        return std::nullopt;
    };
    const json root = json::parse(text, nullptr, false);
    if (root.is_discarded() || !root.is_object()) return fail("not a JSON object");
    double version = 0;
    if (!readNumber(root, "version", version) || version != double(kStateVersion))
        return fail("an unknown state version (this Quorvel reads version " +
                    std::to_string(kStateVersion) + ")");
    CompositorState state;
    state.compositor = optionalString(root, "compositor").value_or("");
    state.compositorVersion = optionalString(root, "compositorVersion").value_or("");
    state.session = optionalString(root, "session").value_or("");
    if (const auto it = root.find("frost"); it != root.end() && it->is_boolean())
        state.frost = it->get<bool>();
    readWorkspace(root, state);
    state.overview = readFlag(root, "overview");
    std::uint64_t active = 0;
    if (const auto it = root.find("active"); it != root.end() && readId(*it, active))
        state.active = active;
    readLists(root, state);
    readTrayItem(root, state);
    return state;
}

namespace {

ports::WindowKind kindOf(const std::string& type) {
    if (type == "normal") return ports::WindowKind::normal;
    if (type == "dialog") return ports::WindowKind::dialog;
    if (type == "utility" || type == "toolbar" || type == "menu") return ports::WindowKind::utility;
    return ports::WindowKind::other;
}

/// The compositors name a desktop entry by its file name; the rest of Quorvel
/// (the catalog, the stored exclusions) by the id without ".desktop".
std::optional<std::string> entryId(const std::optional<std::string>& app) {
    const std::string suffix = ".desktop";
    if (!app || app->size() <= suffix.size() ||
        app->compare(app->size() - suffix.size(), suffix.size(), suffix) != 0)
        return app;
    return app->substr(0, app->size() - suffix.size());
}

}  // namespace

ports::DesktopState desktopState(const CompositorState& state) {
    ports::DesktopState desktop;
    for (const CompositorMonitor& m : state.monitors) {
        // The compositors number monitors by connector order; the index is
        // what stays put while the set of monitors does.
        desktop.monitors.push_back({std::uint32_t(m.index + 1), m.frame, m.workArea});
    }
    for (const CompositorWindow& w : state.windows) {
        if (w.frame.isEmpty()) continue;
        ports::Window window;
        window.id = w.id;
        window.frame = w.frame;
        window.kind = kindOf(w.type);
        window.appId = entryId(w.app);
        window.appName = w.appName.value_or("");
        window.fullscreen = w.fullscreen;
        window.keepAbove = w.above;
        window.own = w.own;
        desktop.windows.push_back(std::move(window));
        if (state.active == w.id) desktop.active = w.id;
    }
    desktop.overview = state.overview;
    desktop.switchingWorkspace = state.switchingWorkspace;
    return desktop;
}

}  // namespace quorvel::compositor
