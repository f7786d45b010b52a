#include "x11/veil_strategy.h"

#include <xcb/res.h>
#include <xcb/xfixes.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <string_view>

#include "core/log.h"
#include "x11/connection.h"

namespace quorvel::x11 {

namespace {

/// Compositing window managers whose compositor paints unmanaged windows in X
/// stacking order, measured on each: there the X server's own restack is
/// exact and needs no round trip through the window manager. Marco calls
/// itself "Metacity (Marco)".
constexpr std::array<std::string_view, 2> kPaintsByStacking{"Xfwm4", "Marco"};

int screenNumber(xcb_connection_t* c, xcb_window_t root) {
    int n = 0;
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(c)); it.rem > 0;
         xcb_screen_next(&it), ++n) {
        if (it.data->root == root) return n;
    }
    return 0;
}

xcb_window_t windowProperty(xcb_connection_t* c, xcb_window_t window, xcb_atom_t atom) {
    auto r = reply(xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, atom, XCB_ATOM_WINDOW, 0, 1), nullptr));
    if (!r || r->format != 32 || xcb_get_property_value_length(r.get()) < 4) return XCB_NONE;
    return *static_cast<const xcb_window_t*>(xcb_get_property_value(r.get()));
}

std::string textProperty(xcb_connection_t* c, xcb_window_t window, xcb_atom_t atom) {
    auto r = reply(xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, atom, XCB_GET_PROPERTY_TYPE_ANY, 0, 256), nullptr));
    if (!r || r->format != 8) return {};
    const char* data = static_cast<const char*>(xcb_get_property_value(r.get()));
    return std::string(data, std::size_t(xcb_get_property_value_length(r.get())));
}

bool paintsByStacking(const std::string& windowManager) {
    return std::any_of(
        kPaintsByStacking.begin(), kPaintsByStacking.end(),
        [&](std::string_view name) { return windowManager.find(name) != std::string::npos; });
}

}  // namespace

VeilStrategyChoice chooseVeilStrategy(const DesktopFacts& facts) {
    const std::string wm = facts.windowManager.empty() ? "no window manager" : facts.windowManager;
    if (facts.compositor.empty()) {
        return {VeilStrategy::unmanaged,
                "no compositor runs; the X stacking is all there is to follow"};
    }
    if (!facts.compositorIsWindowManager) {
        return {VeilStrategy::unmanaged,
                facts.compositor + " composites for " + wm + " and paints in X stacking order"};
    }
    if (paintsByStacking(facts.windowManager)) {
        return {VeilStrategy::unmanaged, wm + " composites in X stacking order"};
    }
    if (!facts.takesRestackRequests) {
        return {VeilStrategy::unmanaged,
                wm + " composites but takes no restack requests, so only the X stacking is left"};
    }
    return {VeilStrategy::managed,
            wm + " composites and keeps unmanaged windows above managed ones"};
}

bool animatesWorkspaceSwitches(const std::string& windowManager) {
    return windowManager == "GNOME Shell" || windowManager == "KWin" ||
           windowManager.find("Muffin") != std::string::npos;
}

std::string describe(const VeilStrategyChoice& choice) {
    const char* how = choice.strategy == VeilStrategy::managed
                          ? "a managed window, restacked through the window manager"
                          : "an unmanaged window, restacked by the X server";
    return std::string("🪟 Veil: ") + how + " (" + choice.reason + ")";
}

VeilStrategyWatch::VeilStrategyWatch(Connection& connection) : connection_(connection) {
    if (!connection_.isOpen()) return;
    xcb_connection_t* c = connection_.raw();
    compositorSelection_ =
        connection_.intern("_NET_WM_CM_S" + std::to_string(screenNumber(c, connection_.root())));
    const xcb_query_extension_reply_t* xfixes = xcb_get_extension_data(c, &xcb_xfixes_id);
    if (compositorSelection_ != XCB_NONE && xfixes && xfixes->present) {
        reply(xcb_xfixes_query_version_reply(c, xcb_xfixes_query_version(c, 5, 0), nullptr));
        selectionNotify_ = std::uint8_t(xfixes->first_event + XCB_XFIXES_SELECTION_NOTIFY);
        xcb_xfixes_select_selection_input(
            c, connection_.root(), compositorSelection_,
            XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
    }
    handler_ = connection_.addEventHandler([this](const xcb_generic_event_t& e) { handle(e); });
    reread();
}

VeilStrategyWatch::~VeilStrategyWatch() {
    if (handler_) connection_.removeEventHandler(handler_);
}

void VeilStrategyWatch::handle(const xcb_generic_event_t& event) {
    const std::uint8_t type = event.response_type & 0x7f;
    if (selectionNotify_ && type == selectionNotify_) {
        const auto& e = reinterpret_cast<const xcb_xfixes_selection_notify_event_t&>(event);
        if (e.selection == compositorSelection_) reread();
        return;
    }
    if (type != XCB_PROPERTY_NOTIFY) return;
    const auto& e = reinterpret_cast<const xcb_property_notify_event_t&>(event);
    const xcb_ewmh_connection_t& ewmh = connection_.ewmh();
    // A new window manager sets both; the list of what it supports comes last.
    if (e.window == connection_.root() &&
        (e.atom == ewmh._NET_SUPPORTING_WM_CHECK || e.atom == ewmh._NET_SUPPORTED))
        reread();
}

void VeilStrategyWatch::reread() {
    const bool wasRunning = compositorRunning();
    facts_ = read();
    if (chosen_ && wasRunning != compositorRunning()) compositorChanged_.emit(compositorRunning());
    VeilStrategyChoice choice = chooseVeilStrategy(facts_);
    if (chosen_ && choice.strategy == choice_.strategy && choice.reason == choice_.reason) return;
    chosen_ = true;
    choice_ = std::move(choice);
    core::log(describe(choice_));
}

DesktopFacts VeilStrategyWatch::read() const {
    DesktopFacts facts;
    xcb_connection_t* c = connection_.raw();
    xcb_ewmh_connection_t& ewmh = connection_.ewmh();
    const xcb_window_t root = connection_.root();
    xcb_window_t check = windowProperty(c, root, ewmh._NET_SUPPORTING_WM_CHECK);
    // A stale property of a window manager that died names a window that is
    // gone or no longer points at itself.
    if (check != XCB_NONE && windowProperty(c, check, ewmh._NET_SUPPORTING_WM_CHECK) != check)
        check = XCB_NONE;
    if (check != XCB_NONE) {
        facts.windowManager = textProperty(c, check, ewmh._NET_WM_NAME);
        if (facts.windowManager.empty())
            facts.windowManager = textProperty(c, check, connection_.atom(Atom::WmName));
        if (facts.windowManager.empty()) facts.windowManager = "an unnamed window manager";
    }
    xcb_ewmh_get_atoms_reply_t supported{};
    if (check != XCB_NONE && xcb_ewmh_get_supported_reply(&ewmh, xcb_ewmh_get_supported(&ewmh, 0),
                                                          &supported, nullptr)) {
        facts.takesRestackRequests =
            std::find(supported.atoms, supported.atoms + supported.atoms_len,
                      ewmh._NET_RESTACK_WINDOW) != supported.atoms + supported.atoms_len;
        xcb_ewmh_get_atoms_reply_wipe(&supported);
    }
    if (compositorSelection_ == XCB_NONE) return facts;
    auto owner = reply(xcb_get_selection_owner_reply(
        c, xcb_get_selection_owner(c, compositorSelection_), nullptr));
    if (!owner || owner->owner == XCB_NONE) return facts;
    facts.compositor = processName(owner->owner);
    if (check != XCB_NONE) {
        const std::uint32_t ownerPid = pidOf(owner->owner), wmPid = pidOf(check);
        // Without pids, windows made by one connection share its resource base.
        const std::uint32_t base = ~xcb_get_setup(c)->resource_id_mask;
        facts.compositorIsWindowManager =
            ownerPid && wmPid ? ownerPid == wmPid : (owner->owner & base) == (check & base);
    }
    return facts;
}

std::uint32_t VeilStrategyWatch::pidOf(xcb_window_t window) const {
    if (!connection_.hasXRes()) return 0;
    xcb_connection_t* c = connection_.raw();
    xcb_res_client_id_spec_t spec{window, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
    auto ids =
        reply(xcb_res_query_client_ids_reply(c, xcb_res_query_client_ids(c, 1, &spec), nullptr));
    if (!ids) return 0;
    for (auto it = xcb_res_query_client_ids_ids_iterator(ids.get()); it.rem > 0;
         xcb_res_client_id_value_next(&it)) {
        if (it.data->spec.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID)
            return *xcb_res_client_id_value_value(it.data);
    }
    return 0;
}

std::string VeilStrategyWatch::processName(xcb_window_t window) const {
    if (const std::uint32_t pid = pidOf(window)) {
        std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
        std::string name;
        if (std::getline(comm, name) && !name.empty()) return name;
    }
    return "a compositor";
}

}  // namespace quorvel::x11
