#include "x11/frost_renderer.h"

#include <xcb/composite.h>
#include <xcb/xcb_renderutil.h>

#include <algorithm>
#include <cmath>
#include <set>

#include "x11/connection.h"
#include "x11/window_mirror.h"

namespace quorvel::x11 {

namespace {

xcb_render_fixed_t fixed(double v) {
    return xcb_render_fixed_t(std::lround(v * 65536.0));
}

/// Makes `picture` read its drawable scaled by `scale` and shifted by
/// (`dx`, `dy`) source pixels, filtered bilinearly: destination pixel centre p
/// samples the source at scale * p + d.
void readScaled(xcb_connection_t* c, xcb_render_picture_t picture, double scale, double dx = 0,
                double dy = 0) {
    const xcb_render_transform_t t{fixed(scale), 0, fixed(dx), 0,         fixed(scale),
                                   fixed(dy),    0, 0,         fixed(1.0)};
    xcb_render_set_picture_transform(c, picture, t);
    static constexpr char kBilinear[] = "bilinear";
    xcb_render_set_picture_filter(c, picture, sizeof(kBilinear) - 1, kBilinear, 0, nullptr);
}

bool extensionReady(xcb_connection_t* c, xcb_extension_t* id) {
    const xcb_query_extension_reply_t* data = xcb_get_extension_data(c, id);
    return data && data->present;
}

/// The level the frost is taken from: an eighth of the monitor.
constexpr std::size_t kFrostLevel = 2;

bool covers(const core::Rect& outer, const core::Rect& inner) {
    return outer.minX() <= inner.minX() && outer.minY() <= inner.minY() &&
           outer.maxX() >= inner.maxX() && outer.maxY() >= inner.maxY();
}

}  // namespace

FrostRenderer::FrostRenderer(Connection& connection, core::Scheduler& scheduler,
                             const xcb_render_query_pict_formats_reply_t* formats, Stale stale)
    : connection_(connection), scheduler_(scheduler), formats_(formats), stale_(std::move(stale)) {
    xcb_connection_t* c = connection_.raw();
    if (!connection_.isOpen() || !formats_) return;
    if (!extensionReady(c, &xcb_composite_id) || !extensionReady(c, &xcb_damage_id)) return;
    auto composite =
        reply(xcb_composite_query_version_reply(c, xcb_composite_query_version(c, 0, 4), nullptr));
    auto damage =
        reply(xcb_damage_query_version_reply(c, xcb_damage_query_version(c, 1, 1), nullptr));
    // NameWindowPixmap came with Composite 0.2.
    if (!composite || (composite->major_version == 0 && composite->minor_version < 2) || !damage)
        return;
    auto* argb = xcb_render_util_find_standard_format(formats_, XCB_PICT_STANDARD_ARGB_32);
    if (!argb) return;
    argb32_ = argb->id;
    damageNotify_ =
        std::uint8_t(xcb_get_extension_data(c, &xcb_damage_id)->first_event + XCB_DAMAGE_NOTIFY);
    rootPixmapAtoms_ = {connection_.intern("_XROOTPMAP_ID"),
                        connection_.intern("ESETROOT_PMAP_ID")};
    quarter_ = xcb_generate_id(c);
    xcb_render_create_solid_fill(c, quarter_, xcb_render_color_t{0, 0, 0, 0x4000});
    available_ = true;
    eventHandler_ =
        connection_.addEventHandler([this](const xcb_generic_event_t& e) { handleEvent(e); });
}

FrostRenderer::~FrostRenderer() {
    *alive_ = false;
    timer_.cancel();
    if (!available_) return;
    connection_.removeEventHandler(eventHandler_);
    xcb_connection_t* c = connection_.raw();
    for (auto& [veil, frost] : frosts_) freeFrost(frost);
    for (auto& [window, damage] : damages_) xcb_damage_destroy(c, damage);
    if (rootPicture_) xcb_render_free_picture(c, rootPicture_);
    xcb_render_free_picture(c, quarter_);
}

void FrostRenderer::attach(xcb_window_t veil, int width, int height) {
    if (!available_) return;
    auto it = frosts_.find(veil);
    if (it != frosts_.end()) {
        if (it->second.width == width && it->second.height == height) return;
        freeFrost(it->second);
        frosts_.erase(it);
    }
    Frost frost;
    frost.width = std::max(1, width);
    frost.height = std::max(1, height);
    int w = (frost.width + kGather - 1) / kGather, h = (frost.height + kGather - 1) / kGather;
    // Each level's `up` reads it at the veil's size; only the eighth's (or the
    // scratch's, which trades places with it) is ever used.
    for (Surface& level : frost.levels) {
        level = makeSurface(w, h, 1.0 / kScale);
        w = (w + 1) / 2;
        h = (h + 1) / 2;
    }
    const Surface& eighth = frost.levels[kFrostLevel];
    frost.scratch = makeSurface(eighth.width, eighth.height, 1.0 / kScale);
    frost.full = makeSurface(frost.width, frost.height, 1.0);
    frosts_.emplace(veil, std::move(frost));
    schedule();
}

void FrostRenderer::detach(xcb_window_t veil) {
    auto it = frosts_.find(veil);
    if (it == frosts_.end()) return;
    freeFrost(it->second);
    frosts_.erase(it);
    watchSources();
}

FrostRenderer::Surface FrostRenderer::makeSurface(int width, int height, double upScale) {
    xcb_connection_t* c = connection_.raw();
    Surface s;
    s.width = width;
    s.height = height;
    s.pixmap = xcb_generate_id(c);
    xcb_create_pixmap(c, 32, s.pixmap, connection_.root(), std::uint16_t(width),
                      std::uint16_t(height));
    // Edges repeat their last pixel, so scaling never pulls transparency in.
    const std::uint32_t pad = XCB_RENDER_REPEAT_PAD;
    for (xcb_render_picture_t* p : {&s.picture, &s.down, &s.up, &s.shift}) {
        *p = xcb_generate_id(c);
        xcb_render_create_picture(c, *p, s.pixmap, argb32_, XCB_RENDER_CP_REPEAT, &pad);
    }
    readScaled(c, s.down, 2.0);
    readScaled(c, s.up, upScale);
    return s;
}

void FrostRenderer::freeSurface(Surface& s) {
    xcb_connection_t* c = connection_.raw();
    for (xcb_render_picture_t p : {s.picture, s.down, s.up, s.shift})
        if (p) xcb_render_free_picture(c, p);
    if (s.pixmap) xcb_free_pixmap(c, s.pixmap);
    s = Surface{};
}

void FrostRenderer::freeFrost(Frost& frost) {
    for (Surface& level : frost.levels) freeSurface(level);
    freeSurface(frost.scratch);
    freeSurface(frost.full);
}

void FrostRenderer::handleEvent(const xcb_generic_event_t& event) {
    const std::uint8_t type = event.response_type & 0x7f;
    if (damageNotify_ && type == damageNotify_) {
        const auto& e = reinterpret_cast<const xcb_damage_notify_event_t&>(event);
        for (auto& [veil, frost] : frosts_) {
            for (const Source& s : frost.sources) frost.stale |= s.id == e.drawable;
        }
        schedule();
        return;
    }
    switch (type) {
        case XCB_PROPERTY_NOTIFY: {
            const auto& e = reinterpret_cast<const xcb_property_notify_event_t&>(event);
            if (e.window != connection_.root()) return;
            // WORKAROUND(mutter): it names a managed veil in the client list
            // after the last map and restack around it; until then the veil's
            // frame is unknown and its frost cannot be drawn, so the frost
            // waits for the list as well, or it stays black until the next move.
            if (e.atom == connection_.ewmh()._NET_CLIENT_LIST) return schedule(kAfterStacking);
            if (e.atom != rootPixmapAtoms_[0] && e.atom != rootPixmapAtoms_[1]) return;
            rootStale_ = true;
            for (auto& [veil, frost] : frosts_) frost.stale = true;
            schedule();
            return;
        }
        case XCB_DESTROY_NOTIFY:
            formatsByWindow_.erase(
                reinterpret_cast<const xcb_destroy_notify_event_t&>(event).window);
            schedule(kAfterStacking);
            return;
        case XCB_CONFIGURE_NOTIFY:
        case XCB_MAP_NOTIFY:
        case XCB_UNMAP_NOTIFY:
        case XCB_CIRCULATE_NOTIFY:
        case XCB_REPARENT_NOTIFY:
            // Which windows lie below a veil, and where, is settled on the refresh.
            schedule(kAfterStacking);
            return;
        default:
            return;
    }
}

void FrostRenderer::schedule(double atLeast) {
    if (timer_.isActive() || frosts_.empty()) return;
    const double wait = std::max(atLeast, last_ + 1.0 / rate_ - scheduler_.now());
    timer_ = scheduler_.after(wait, core::TimerMode::Common, [this, alive = alive_] {
        if (*alive) refreshAll();
    });
}

void FrostRenderer::refreshAll() {
    last_ = scheduler_.now();
    if (rootStale_) readRootPixmap();
    connection_.windows().refresh();
    std::vector<xcb_window_t> redraw;
    for (auto& [veil, frost] : frosts_) {
        std::vector<Source> sources;
        const bool wasFramed = frost.framed;
        if (!findSources(veil, frost, sources)) continue;
        if (sources != frost.sources) {
            frost.sources = std::move(sources);
            frost.stale = true;
        }
        // WORKAROUND(mutter): what is drawn right after it frames a managed
        // veil can be lost while it settles the frame (the veil then shows
        // its tint over black), with no Expose to tell: drawn once more.
        if (wasFramed && frost.settling) {
            frost.settling = false;
            frost.stale = true;
        }
        if (frost.stale) redraw.push_back(veil);
    }
    watchSources();
    for (xcb_window_t veil : redraw) stale_(veil);
    xcb_flush(connection_.raw());
}

void FrostRenderer::findSourcesNow(xcb_window_t veil) {
    auto it = frosts_.find(veil);
    std::vector<Source> sources;
    if (it == frosts_.end() || !findSources(veil, it->second, sources)) return;
    if (sources != it->second.sources) {
        it->second.sources = std::move(sources);
        it->second.stale = true;
    }
    watchSources();
}

bool FrostRenderer::findSources(xcb_window_t veil, Frost& frost, std::vector<Source>& out) {
    const WindowMirror& mirror = connection_.windows();
    const Toplevel* self = mirror.toplevelFor(veil);
    if (!self || !self->mapped) {
        frost.framed = false;
        return false;
    }
    if (!frost.framed) {
        frost.framed = frost.settling = true;
        schedule(kSettle);
    }
    const core::Rect frame{self->geometry.x, self->geometry.y, double(frost.width),
                           double(frost.height)};
    if (frame != frost.frame) {
        frost.frame = frame;
        frost.stale = true;
    }
    const auto& stack = mirror.stacking();
    auto it = std::find(stack.begin(), stack.end(), self->id);
    while (it != stack.begin()) {
        const xcb_window_t id = *--it;
        const Toplevel* top = mirror.toplevel(id);
        if (!top || !top->mapped || top->inputOnly || mirror.isOwnWindow(id)) continue;
        if (!top->geometry.intersects(frame)) continue;
        out.push_back({id, top->geometry});
        // Nothing below an opaque window that fills the monitor shows.
        const Format* format = formatOf(id);
        if (format && format->opaque && covers(top->geometry, frame)) break;
    }
    std::reverse(out.begin(), out.end());
    return true;
}

void FrostRenderer::watchSources() {
    std::set<xcb_window_t> wanted;
    for (const auto& [veil, frost] : frosts_)
        for (const Source& s : frost.sources) wanted.insert(s.id);
    xcb_connection_t* c = connection_.raw();
    for (auto it = damages_.begin(); it != damages_.end();) {
        if (wanted.count(it->first)) {
            ++it;
            continue;
        }
        xcb_damage_destroy(c, it->second);
        it = damages_.erase(it);
    }
    for (xcb_window_t id : wanted) {
        if (damages_.count(id)) continue;
        const xcb_damage_damage_t damage = xcb_generate_id(c);
        // One event until the damage is subtracted on the next refresh.
        xcb_damage_create(c, damage, id, XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
        damages_.emplace(id, damage);
    }
}

const FrostRenderer::Format* FrostRenderer::formatOf(xcb_window_t window) {
    auto it = formatsByWindow_.find(window);
    if (it != formatsByWindow_.end()) return &it->second;
    xcb_connection_t* c = connection_.raw();
    auto attributes =
        reply(xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr));
    if (!attributes) return nullptr;
    const xcb_render_pictvisual_t* visual =
        xcb_render_util_find_visual_format(formats_, attributes->visual);
    if (!visual) return nullptr;
    xcb_render_pictforminfo_t wanted{};
    wanted.id = visual->format;
    const xcb_render_pictforminfo_t* info =
        xcb_render_util_find_format(formats_, XCB_PICT_FORMAT_ID, &wanted, 0);
    Format format{visual->format, !info || info->direct.alpha_mask == 0};
    return &formatsByWindow_.emplace(window, format).first->second;
}

void FrostRenderer::readRootPixmap() {
    rootStale_ = false;
    xcb_connection_t* c = connection_.raw();
    xcb_pixmap_t pixmap = XCB_NONE;
    for (xcb_atom_t atom : rootPixmapAtoms_) {
        if (atom == XCB_NONE) continue;
        auto r = reply(xcb_get_property_reply(
            c, xcb_get_property(c, 0, connection_.root(), atom, XCB_ATOM_PIXMAP, 0, 1), nullptr));
        if (r && xcb_get_property_value_length(r.get()) == 4) {
            pixmap = *static_cast<const xcb_pixmap_t*>(xcb_get_property_value(r.get()));
            break;
        }
    }
    if (rootPicture_ && pixmap == rootPixmap_) return;
    if (rootPicture_) xcb_render_free_picture(c, rootPicture_);
    rootPicture_ = 0;
    rootPixmap_ = pixmap;
    // Without a wallpaper pixmap the root window is no source: under a
    // compositor it reads back the screen, veils and all, so each refresh
    // would frost the veil again. drawBackground lays black instead.
    if (!pixmap) return;
    const xcb_screen_t& screen = connection_.screen();
    const xcb_render_pictvisual_t* visual =
        xcb_render_util_find_visual_format(formats_, screen.root_visual);
    rootPicture_ = xcb_generate_id(c);
    // A wallpaper pixmap tiles.
    const std::uint32_t repeat = XCB_RENDER_REPEAT_NORMAL;
    xcb_render_create_picture(c, rootPicture_, pixmap, visual ? visual->format : argb32_,
                              XCB_RENDER_CP_REPEAT, &repeat);
}

void FrostRenderer::drawBackground(Frost& frost) {
    xcb_connection_t* c = connection_.raw();
    const Surface& small = frost.levels[0];
    if (!rootPicture_) {
        const xcb_rectangle_t all{0, 0, std::uint16_t(small.width), std::uint16_t(small.height)};
        xcb_render_fill_rectangles(c, XCB_RENDER_PICT_OP_SRC, small.picture,
                                   xcb_render_color_t{0, 0, 0, 0xffff}, 1, &all);
        return;
    }
    readScaled(c, rootPicture_, kGather, frost.frame.x, frost.frame.y);
    xcb_render_composite(c, XCB_RENDER_PICT_OP_SRC, rootPicture_, XCB_NONE, small.picture, 0, 0, 0,
                         0, 0, 0, std::uint16_t(small.width), std::uint16_t(small.height));
}

void FrostRenderer::compose(Frost& frost) {
    xcb_connection_t* c = connection_.raw();
    const Surface& small = frost.levels[0];
    drawBackground(frost);
    for (const Source& s : frost.sources) {
        const Format* format = formatOf(s.id);
        if (!format) continue;
        if (auto d = damages_.find(s.id); d != damages_.end())
            xcb_damage_subtract(c, d->second, XCB_NONE, XCB_NONE);
        const xcb_pixmap_t pixmap = xcb_generate_id(c);
        xcb_composite_name_window_pixmap(c, s.id, pixmap);
        const xcb_render_picture_t picture = xcb_generate_id(c);
        xcb_render_create_picture(c, picture, pixmap, format->id, 0, nullptr);
        const double dx = s.geometry.x - frost.frame.x, dy = s.geometry.y - frost.frame.y;
        readScaled(c, picture, kGather, -dx, -dy);
        // The small picture's pixels this window touches.
        const int left = std::max(0, int(std::floor(dx / kGather)));
        const int top = std::max(0, int(std::floor(dy / kGather)));
        const int right = std::min(small.width, int(std::ceil((dx + s.geometry.width) / kGather)));
        const int bottom =
            std::min(small.height, int(std::ceil((dy + s.geometry.height) / kGather)));
        if (right > left && bottom > top) {
            xcb_render_composite(c, XCB_RENDER_PICT_OP_OVER, picture, XCB_NONE, small.picture,
                                 std::int16_t(left), std::int16_t(top), 0, 0, std::int16_t(left),
                                 std::int16_t(top), std::uint16_t(right - left),
                                 std::uint16_t(bottom - top));
        }
        xcb_render_free_picture(c, picture);
        xcb_free_pixmap(c, pixmap);
    }
}

void FrostRenderer::blur(Frost& frost) {
    xcb_connection_t* c = connection_.raw();
    auto& l = frost.levels;
    const auto all = [](const Surface& s) {
        return std::pair{std::uint16_t(s.width), std::uint16_t(s.height)};
    };
    for (std::size_t i = 0; i + 1 < l.size(); ++i) {
        const auto [w, h] = all(l[i + 1]);
        xcb_render_composite(c, XCB_RENDER_PICT_OP_SRC, l[i].down, XCB_NONE, l[i + 1].picture, 0, 0,
                             0, 0, 0, 0, w, h);
    }
    Surface* from = &l[kFrostLevel];
    Surface* to = &frost.scratch;
    const auto [w, h] = all(*to);
    for (double d : kPasses) {
        std::uint8_t op = XCB_RENDER_PICT_OP_SRC;
        for (double dx : {-d, d}) {
            for (double dy : {-d, d}) {
                readScaled(c, from->shift, 1.0, dx, dy);
                xcb_render_composite(c, op, from->shift, quarter_, to->picture, 0, 0, 0, 0, 0, 0, w,
                                     h);
                op = XCB_RENDER_PICT_OP_ADD;
            }
        }
        std::swap(from, to);
    }
    if (from != &l[kFrostLevel]) std::swap(l[kFrostLevel], frost.scratch);
}

xcb_render_picture_t FrostRenderer::backing(xcb_window_t veil) {
    auto it = frosts_.find(veil);
    if (it == frosts_.end()) return XCB_NONE;
    Frost& frost = it->second;
    xcb_connection_t* c = connection_.raw();
    if (frost.stale) {
        if (rootStale_) readRootPixmap();
        compose(frost);
        blur(frost);
        frost.stale = false;
    }
    xcb_render_composite(c, XCB_RENDER_PICT_OP_SRC, frost.levels[kFrostLevel].up, XCB_NONE,
                         frost.full.picture, 0, 0, 0, 0, 0, 0, std::uint16_t(frost.width),
                         std::uint16_t(frost.height));
    return frost.full.picture;
}

}  // namespace quorvel::x11
