#include "x11/connection.h"

#include <unistd.h>
#include <xcb/randr.h>
#include <xcb/res.h>
// WORKAROUND(xcb): xkb.h names a field `explicit`, a C++ keyword.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

#include <cstring>
#include <vector>

#include "core/log.h"
#include "x11/monitor_layout.h"
#include "x11/window_mirror.h"

namespace quorvel::x11 {

namespace {

constexpr const char* atomNames[] = {
    "WM_STATE",
    "WM_CLASS",
    "WM_NAME",
    "_GTK_APPLICATION_ID",
    "_GTK_FRAME_EXTENTS",
    "_NET_WM_WINDOW_OPACITY",
    "_COMPTON_SHADOW",
    "_MOTIF_WM_HINTS",
    "_KDE_NET_WM_STATE_SKIP_SWITCHER",
};
static_assert(std::size(atomNames) == static_cast<std::size_t>(Atom::Count));

}  // namespace

Connection::Connection(const char* display) : ownPid_(getpid()) {
    int screenNumber = 0;
    connection_ = xcb_connect(display, &screenNumber);
    if (xcb_connection_has_error(connection_)) {
        core::log("⚠️ Cannot open the X display");
        return;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection_));
    for (int i = 0; i < screenNumber && it.rem > 0; ++i) xcb_screen_next(&it);
    screen_ = it.data;

    xcb_intern_atom_cookie_t* ewmhCookies = xcb_ewmh_init_atoms(connection_, &ewmh_);
    std::vector<xcb_intern_atom_cookie_t> cookies;
    for (const char* name : atomNames) {
        cookies.push_back(
            xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(std::strlen(name)), name));
    }
    ewmhReady_ = xcb_ewmh_init_atoms_replies(&ewmh_, ewmhCookies, nullptr) != 0;
    for (std::size_t i = 0; i < cookies.size(); ++i) {
        if (auto r = reply(xcb_intern_atom_reply(connection_, cookies[i], nullptr)))
            atoms_[i] = r->atom;
    }
    initExtensions();
    // Everything the caches follow arrives through the root window.
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY |
                               XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(connection_, root(), XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection_);
}

Connection::~Connection() {
    windows_.reset();
    monitors_.reset();
    if (ewmhReady_) xcb_ewmh_connection_wipe(&ewmh_);
    if (connection_) xcb_disconnect(connection_);
}

void Connection::initExtensions() {
    const xcb_query_extension_reply_t* randr = xcb_get_extension_data(connection_, &xcb_randr_id);
    if (randr && randr->present) {
        auto version = reply(xcb_randr_query_version_reply(
            connection_, xcb_randr_query_version(connection_, 1, 5), nullptr));
        if (version) randrEventBase_ = randr->first_event;
    }
    const xcb_query_extension_reply_t* xkb = xcb_get_extension_data(connection_, &xcb_xkb_id);
    if (xkb && xkb->present) xkbEventBase_ = xkb->first_event;
    const xcb_query_extension_reply_t* res = xcb_get_extension_data(connection_, &xcb_res_id);
    if (res && res->present) {
        auto version = reply(xcb_res_query_version_reply(
            connection_, xcb_res_query_version(connection_, 1, 2), nullptr));
        hasXRes_ = version && (version->server_major > 1 || version->server_minor >= 2);
    }
}

bool Connection::isOpen() const {
    return connection_ && screen_ && xcb_connection_has_error(connection_) == 0;
}

xcb_atom_t Connection::intern(const std::string& name) const {
    if (!isOpen()) return XCB_NONE;
    auto r = reply(xcb_intern_atom_reply(
        connection_, xcb_intern_atom(connection_, 0, std::uint16_t(name.size()), name.c_str()),
        nullptr));
    return r ? r->atom : XCB_NONE;
}

int Connection::fd() const {
    return connection_ ? xcb_get_file_descriptor(connection_) : -1;
}

void Connection::processEvents() {
    dispatch(&xcb_poll_for_event);
}

void Connection::processQueuedEvents() {
    dispatch(&xcb_poll_for_queued_event);
}

void Connection::dispatch(xcb_generic_event_t* (*next)(xcb_connection_t*)) {
    if (dispatching_ || !isOpen()) return;
    dispatching_ = true;
    xcb_flush(connection_);
    while (xcb_generic_event_t* raw = next(connection_)) {
        auto event = reply(raw);
        // Handlers may add or remove handlers, so walk a snapshot of the ids.
        std::vector<int> ids;
        for (const auto& [id, handler] : handlers_) ids.push_back(id);
        for (int id : ids) {
            auto it = handlers_.find(id);
            if (it != handlers_.end()) it->second(*event);
        }
    }
    dispatching_ = false;
}

void Connection::sync() {
    if (!isOpen()) return;
    reply(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
    processEvents();
}

void Connection::flush() {
    if (connection_) xcb_flush(connection_);
}

int Connection::addEventHandler(EventHandler handler) {
    handlers_[nextHandler_] = std::move(handler);
    return nextHandler_++;
}

void Connection::removeEventHandler(int id) {
    handlers_.erase(id);
}

WindowMirror& Connection::windows() {
    if (!windows_) windows_ = std::make_unique<WindowMirror>(*this);
    return *windows_;
}

MonitorLayout& Connection::monitors() {
    if (!monitors_) monitors_ = std::make_unique<MonitorLayout>(*this);
    return *monitors_;
}

}  // namespace quorvel::x11
