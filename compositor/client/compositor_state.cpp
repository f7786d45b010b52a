#include "compositor/client/compositor_state.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <limits>

namespace quorvel::compositor {

namespace {

using nlohmann::json;
namespace layer = ports::layer;

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

core::Rect primaryFrame(const CompositorState& state) {
    return state.monitors.empty() ? core::Rect{} : state.monitors.front().frame;
}

core::Rect shellRect(const core::Rect& flipped, const core::Rect& primary) {
    return {flipped.x + primary.x, primary.y + primary.height - flipped.y - flipped.height,
            flipped.width, flipped.height};
}

core::Point flippedPoint(double x, double y, const core::Rect& primary) {
    return {x - primary.x, primary.height - (y - primary.y)};
}

std::vector<ports::ScreenInfo> screenInfos(const CompositorState& state) {
    const core::Rect primary = primaryFrame(state);
    const auto flipped = [&primary](const core::Rect& r) {
        return core::Rect{r.x - primary.x, primary.height - (r.y - primary.y) - r.height, r.width,
                          r.height};
    };
    std::vector<ports::ScreenInfo> result;
    for (const CompositorMonitor& m : state.monitors) {
        // Mutter numbers monitors by connector order; the index is what stays
        // put while the set of monitors does.
        result.push_back({std::uint32_t(m.index + 1), flipped(m.frame), flipped(m.workArea)});
    }
    return result;
}

std::int32_t windowLayer(const CompositorWindow& w) {
    const std::string& t = w.type;
    if (t == "desktop") return layer::desktop;
    if (t == "dock") return layer::dock;
    if (t == "notification") return layer::notification;
    if (t == "tooltip") return layer::tooltip;
    if (t == "dnd") return layer::dragging;
    if (t == "menu" || t == "dropdown_menu" || t == "popup_menu" || t == "combo" ||
        t == "override_other")
        return layer::popUpMenu;
    if (w.above || t == "utility" || t == "toolbar") return layer::floating;
    return layer::normal;
}

std::vector<ports::RawWindow> rawWindows(const CompositorState& state,
                                            ports::WindowListOption option,
                                            double wallpaperShift, std::int64_t ownPid) {
    const core::Rect primary = primaryFrame(state);
    const bool withDesktop = option == ports::WindowListOption::OnScreenOnly;
    std::vector<ports::RawWindow> result;
    for (const CompositorWindow& w : state.windows) {
        const std::int32_t level = windowLayer(w);
        if (w.minimized || w.frame.isEmpty()) continue;
        if (!withDesktop && level == layer::desktop) continue;
        ports::RawWindow entry;
        entry.ownerName = w.pid == ownPid ? std::optional<std::string>("Quorvel")
                          : w.appName     ? w.appName
                                          : w.wmClass;
        entry.layer = level;
        entry.windowNumber =
            static_cast<std::int64_t>(w.id & std::numeric_limits<std::int64_t>::max());
        entry.bounds =
            core::Rect{w.frame.x - primary.x, w.frame.y - primary.y, w.frame.width, w.frame.height};
        entry.title = w.title;
        entry.fullscreen = w.fullscreen;
        result.push_back(std::move(entry));
    }
    if (!withDesktop) return result;
    // The compositors list no wallpaper window; the behaviour reads a moving wallpaper as
    // a workspace switch in progress, so each monitor gets one.
    for (std::size_t i = 0; i < state.monitors.size(); ++i) {
        const core::Rect& f = state.monitors[i].frame;
        result.push_back(ports::RawWindow{
            "Wallpaper", layer::desktop, -1 - std::int64_t(i),
            core::Rect{f.x - primary.x + wallpaperShift, f.y - primary.y, f.width, f.height},
            std::string("Desktop")});
    }
    return result;
}

std::optional<std::size_t> focusedMonitor(const CompositorState& state) {
    if (state.monitors.empty()) return std::nullopt;
    if (!state.focused) return 0;
    for (const CompositorWindow& w : state.windows) {
        if (w.id != *state.focused || w.minimized) continue;
        std::size_t best = 0;
        double bestArea = 0;
        for (std::size_t i = 0; i < state.monitors.size(); ++i) {
            const core::Rect& m = state.monitors[i].frame;
            const double width = std::min(m.maxX(), w.frame.maxX()) - std::max(m.x, w.frame.x);
            const double height = std::min(m.maxY(), w.frame.maxY()) - std::max(m.y, w.frame.y);
            const double area = width > 0 && height > 0 ? width * height : 0;
            if (area > bestArea) best = i, bestArea = area;
        }
        return best;
    }
    return 0;
}

}  // namespace quorvel::compositor
