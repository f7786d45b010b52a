#include "x11/monitor_layout.h"

#include <xcb/randr.h>

#include <algorithm>
#include <chrono>

#include "x11/connection.h"

namespace quorvel::x11 {

namespace {

double secondsNow() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

core::Rect intersection(const core::Rect& a, const core::Rect& b) {
    const double x0 = std::max(a.minX(), b.minX());
    const double y0 = std::max(a.minY(), b.minY());
    const double x1 = std::min(a.maxX(), b.maxX());
    const double y1 = std::min(a.maxY(), b.maxY());
    if (x1 <= x0 || y1 <= y0)
        return a;  // a work area that misses the monitor says nothing about it
    return {x0, y0, x1 - x0, y1 - y0};
}

}  // namespace

MonitorLayout::MonitorLayout(Connection& connection) : connection_(connection) {
    if (!connection_.isOpen()) return;
    if (connection_.randrEventBase() != 0) {
        xcb_randr_select_input(connection_.raw(), connection_.root(),
                               XCB_RANDR_NOTIFY_MASK_SCREEN_CHANGE |
                                   XCB_RANDR_NOTIFY_MASK_CRTC_CHANGE |
                                   XCB_RANDR_NOTIFY_MASK_OUTPUT_CHANGE);
    }
    handler_ = connection_.addEventHandler([this](const xcb_generic_event_t& event) {
        const std::uint8_t type = event.response_type & 0x7f;
        const std::uint8_t randr = connection_.randrEventBase();
        if (type == XCB_CONFIGURE_NOTIFY) {
            const auto& e = reinterpret_cast<const xcb_configure_notify_event_t&>(event);
            if (e.window == connection_.root()) dirty_ = true;
        } else if (randr != 0 && (type == randr + XCB_RANDR_SCREEN_CHANGE_NOTIFY ||
                                  type == randr + XCB_RANDR_NOTIFY)) {
            dirty_ = true;
        } else if (type == XCB_PROPERTY_NOTIFY) {
            const auto& e = reinterpret_cast<const xcb_property_notify_event_t&>(event);
            if (e.window == connection_.root() &&
                (e.atom == connection_.ewmh()._NET_WORKAREA ||
                 e.atom == connection_.ewmh()._NET_CURRENT_DESKTOP)) {
                dirty_ = true;
            }
        }
    });
}

MonitorLayout::~MonitorLayout() {
    if (handler_) connection_.removeEventHandler(handler_);
}

const std::vector<Monitor>& MonitorLayout::monitors() {
    connection_.processEvents();
    const double now = secondsNow();
    if (dirty_ || now - lastRead_ >= 1.0) {
        read();
        lastRead_ = now;
        dirty_ = false;
    }
    return monitors_;
}

core::Rect MonitorLayout::primaryFrame() {
    const auto& all = monitors();
    if (!all.empty()) return all.front().frame;
    if (!connection_.isOpen()) return {};
    return {0, 0, double(connection_.screen().width_in_pixels),
            double(connection_.screen().height_in_pixels)};
}

void MonitorLayout::read() {
    monitors_.clear();
    if (!connection_.isOpen()) return;
    monitors_ = readRandr();
    if (monitors_.empty()) {
        const xcb_screen_t& s = connection_.screen();
        monitors_.push_back(
            Monitor{idForName("screen"),
                    "screen",
                    core::Rect{0, 0, double(s.width_in_pixels), double(s.height_in_pixels)},
                    {},
                    true});
    }
    const std::optional<core::Rect> workArea = readWorkArea();
    for (Monitor& m : monitors_)
        m.visibleFrame = workArea ? intersection(m.frame, *workArea) : m.frame;
    // The system's order puts the primary monitor first; the rest keep the server's order.
    std::stable_partition(monitors_.begin(), monitors_.end(),
                          [](const Monitor& m) { return m.primary; });
    if (!monitors_.empty() && !monitors_.front().primary) monitors_.front().primary = true;
}

std::vector<Monitor> MonitorLayout::readRandr() {
    std::vector<Monitor> result;
    if (connection_.randrEventBase() == 0) return result;
    xcb_connection_t* c = connection_.raw();
    auto r = reply(
        xcb_randr_get_monitors_reply(c, xcb_randr_get_monitors(c, connection_.root(), 1), nullptr));
    if (!r) return result;
    std::vector<xcb_get_atom_name_cookie_t> names;
    for (auto it = xcb_randr_get_monitors_monitors_iterator(r.get()); it.rem > 0;
         xcb_randr_monitor_info_next(&it)) {
        const xcb_randr_monitor_info_t& info = *it.data;
        if (info.width == 0 || info.height == 0) continue;
        Monitor m;
        m.frame = {double(info.x), double(info.y), double(info.width), double(info.height)};
        m.primary = info.primary != 0;
        result.push_back(m);
        names.push_back(xcb_get_atom_name(c, info.name));
    }
    for (std::size_t i = 0; i < result.size(); ++i) {
        auto name = reply(xcb_get_atom_name_reply(c, names[i], nullptr));
        result[i].name = name ? std::string(xcb_get_atom_name_name(name.get()),
                                            std::size_t(xcb_get_atom_name_name_length(name.get())))
                              : "monitor-" + std::to_string(i);
        result[i].id = idForName(result[i].name);
    }
    return result;
}

std::optional<core::Rect> MonitorLayout::readWorkArea() {
    xcb_ewmh_connection_t& ewmh = connection_.ewmh();
    std::uint32_t desktop = 0;
    xcb_ewmh_get_current_desktop_reply(&ewmh, xcb_ewmh_get_current_desktop(&ewmh, 0), &desktop,
                                       nullptr);
    xcb_ewmh_get_workarea_reply_t area{};
    if (!xcb_ewmh_get_workarea_reply(&ewmh, xcb_ewmh_get_workarea(&ewmh, 0), &area, nullptr))
        return std::nullopt;
    std::optional<core::Rect> result;
    if (area.workarea_len > 0) {
        const xcb_ewmh_geometry_t& g =
            area.workarea[std::min<std::uint32_t>(desktop, area.workarea_len - 1)];
        result = core::Rect{double(g.x), double(g.y), double(g.width), double(g.height)};
    }
    xcb_ewmh_get_workarea_reply_wipe(&area);
    return result;
}

std::uint32_t MonitorLayout::idForName(const std::string& name) {
    std::uint32_t hash = 2166136261u;
    for (unsigned char ch : name) {
        hash ^= ch;
        hash *= 16777619u;
    }
    return hash == 0 ? 1 : hash;
}

}  // namespace quorvel::x11
