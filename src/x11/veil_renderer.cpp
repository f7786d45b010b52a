#include "x11/veil_renderer.h"

#include <xcb/render.h>
#include <xcb/shape.h>
#include <xcb/xcb_renderutil.h>

#include <algorithm>
#include <bit>
#include <string>

#include "core/log.h"
#include "look/look_follower.h"
#include "look/veil_mask.h"
#include "x11/connection.h"

namespace quorvel::x11 {

namespace {

constexpr char kNoCompositor[] =
    "⚠️ No compositing manager is running: the veil needs one (picom, xfwm4's compositor, "
    "KWin, "
    "mutter) to be translucent, so it stays invisible until one starts";

/// The tile depends on the tint and the grain only; opacity and the stop
/// location live in the mask.
bool sameTile(const look::VeilAppearance& a, const look::VeilAppearance& b) {
    return a.grainIntensity == b.grainIntensity && a.colorScheme == b.colorScheme &&
           a.useSlightTransparency == b.useSlightTransparency && a.blurAvailable == b.blurAvailable;
}

}  // namespace

VeilRenderer::VeilRenderer(Connection& connection, core::Scheduler& scheduler,
                           VeilStrategyWatch& desktop)
    : connection_(connection),
      scheduler_(scheduler),
      grain_(look::makeGrainTile()),
      defaultLook_(look::makeVeilAppearance(settings::FocusMode::ambient, 0.5, false, 1.0,
                                            settings::ThemeMode::automatic,
                                            look::ColorScheme::light, true)) {
    if (!connection_.isOpen()) return;
    initFormats();
    compositor_ = desktop.compositorRunning();
    compositorChanged_ =
        desktop.compositorChanged().connect([this](bool running) { setCompositor(running); });
    frost_ =
        std::make_unique<FrostRenderer>(connection_, scheduler_, formats_, [this](xcb_window_t w) {
            auto it = veils_.find(w);
            if (it == veils_.end() || !argb32_ || !a8_) return;
            draw(it->second, now());
        });
    if (compositor_) sayBacking();
    eventHandler_ =
        connection_.addEventHandler([this](const xcb_generic_event_t& e) { handleEvent(e); });
}

VeilRenderer::~VeilRenderer() {
    if (!connection_.isOpen()) return;
    connection_.removeEventHandler(eventHandler_);
    xcb_connection_t* c = connection_.raw();
    for (auto& [window, veil] : veils_) freeVeil(veil);
    frost_.reset();
    for (auto [picture, pixmap] : {std::pair{tile_, tilePixmap_}, std::pair{strip_, stripPixmap_},
                                   std::pair{scaled_, scaledPixmap_}}) {
        if (picture) xcb_render_free_picture(c, picture);
        if (pixmap) xcb_free_pixmap(c, pixmap);
    }
    xcb_flush(c);
}

void VeilRenderer::initFormats() {
    xcb_connection_t* c = connection_.raw();
    formats_ = xcb_render_util_query_formats(c);
    if (!formats_) {
        core::log("⚠️ The X server has no Render extension: the veil cannot be drawn");
        return;
    }
    if (auto* f = xcb_render_util_find_standard_format(formats_, XCB_PICT_STANDARD_ARGB_32))
        argb32_ = f->id;
    if (auto* f = xcb_render_util_find_standard_format(formats_, XCB_PICT_STANDARD_A_8))
        a8_ = f->id;
    for (auto it = xcb_setup_pixmap_formats_iterator(xcb_get_setup(c)); it.rem > 0;
         xcb_format_next(&it)) {
        if (it.data->depth == 8) maskScanlinePad_ = it.data->scanline_pad;
    }
}

void VeilRenderer::handleEvent(const xcb_generic_event_t& event) {
    if ((event.response_type & 0x7f) != XCB_EXPOSE) return;
    const auto& e = reinterpret_cast<const xcb_expose_event_t&>(event);
    auto it = veils_.find(e.window);
    if (it == veils_.end()) return;
    Veil& veil = it->second;
    if (veil.background) {
        // Painted once at the map; later Exposes keep what is drawn.
        const std::uint32_t none = XCB_BACK_PIXMAP_NONE;
        xcb_change_window_attributes(connection_.raw(), veil.window, XCB_CW_BACK_PIXMAP, &none);
        veil.background = false;
    }
    // The server-side tile and mask already hold the look: one Composite redraws it.
    if (e.count == 0) {
        draw(veil, now());
        xcb_flush(connection_.raw());
    }
}

void VeilRenderer::setCompositor(bool running) {
    if (running == compositor_) return;
    compositor_ = running;
    core::log(running ? "A compositing manager is running: the veil is translucent again"
                      : kNoCompositor);
    if (running) sayBacking();
    warned_ = !running;
    for (auto& [window, veil] : veils_) applyShape(window, veil);
    redrawAll();
}

void VeilRenderer::follow(look::LookFollower& look) {
    look_ = &look;
    lookChanged_ = look.changed().connect([this] { redrawAll(); });
    redrawAll();
    lookFollowed_.emit();
}

void VeilRenderer::setOnBattery(bool onBattery) {
    if (frost_) frost_->setOnBattery(onBattery);
}

look::VeilAppearance VeilRenderer::now() const {
    look::VeilAppearance appearance = look_ ? look_->appearance() : defaultLook_;
    appearance.blurAvailable = compositor_;
    return appearance;
}

look::VeilAppearance VeilRenderer::appearance() const {
    look::VeilAppearance appearance = look_ ? look_->target() : defaultLook_;
    appearance.blurAvailable = compositor_;
    return appearance;
}

bool VeilRenderer::isAnimating() const {
    return look_ && look_->isGliding();
}

void VeilRenderer::redrawAll() {
    drawAll(now());
}

void VeilRenderer::drawAll(const look::VeilAppearance& appearance) {
    if (!connection_.isOpen() || !argb32_ || !a8_) return;
    ensureTile(appearance);
    for (auto& [window, veil] : veils_) draw(veil, appearance);
    xcb_flush(connection_.raw());
}

xcb_render_picture_t VeilRenderer::makePicture(xcb_pixmap_t& pixmap, int width, int height) {
    xcb_connection_t* c = connection_.raw();
    pixmap = xcb_generate_id(c);
    xcb_create_pixmap(c, 32, pixmap, connection_.root(), std::uint16_t(width),
                      std::uint16_t(height));
    const xcb_render_picture_t picture = xcb_generate_id(c);
    const std::uint32_t repeat = XCB_RENDER_REPEAT_NORMAL;
    xcb_render_create_picture(c, picture, pixmap, argb32_, XCB_RENDER_CP_REPEAT, &repeat);
    return picture;
}

void VeilRenderer::ensureTile(const look::VeilAppearance& appearance) {
    if (tileLook_ && sameTile(*tileLook_, appearance)) return;
    xcb_connection_t* c = connection_.raw();
    const int size = grain_.size;
    if (!tile_) tile_ = makePicture(tilePixmap_, size, size);
    look::ArgbTile tile = look::makeVeilTile(grain_, appearance);
    // Image data travels in the server's byte order.
    const bool serverLittle = xcb_get_setup(c)->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST;
    if (serverLittle != (std::endian::native == std::endian::little)) {
        for (std::uint32_t& p : tile.pixels) p = __builtin_bswap32(p);
    }
    xcb_gcontext_t gc = xcb_generate_id(c);
    xcb_create_gc(c, gc, tilePixmap_, 0, nullptr);
    xcb_put_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, tilePixmap_, gc, std::uint16_t(size),
                  std::uint16_t(size), 0, 0, 0, 32, std::uint32_t(tile.pixels.size() * 4),
                  reinterpret_cast<const std::uint8_t*>(tile.pixels.data()));
    xcb_free_gc(c, gc);
    tileLook_ = appearance;
    stripStale_ = true;
    scaledAlpha_ = -1;
}

void VeilRenderer::ensureStrip(int width) {
    xcb_connection_t* c = connection_.raw();
    if (width > stripWidth_) {
        if (strip_) {
            xcb_render_free_picture(c, strip_);
            xcb_free_pixmap(c, stripPixmap_);
        }
        strip_ = makePicture(stripPixmap_, width, grain_.size);
        stripWidth_ = width;
        stripStale_ = true;
    }
    if (!stripStale_) return;
    xcb_render_composite(c, XCB_RENDER_PICT_OP_SRC, tile_, XCB_NONE, strip_, 0, 0, 0, 0, 0, 0,
                         std::uint16_t(stripWidth_), std::uint16_t(grain_.size));
    stripStale_ = false;
}

void VeilRenderer::ensureScaledTile(std::uint8_t alpha) {
    if (scaledAlpha_ == alpha) return;
    xcb_connection_t* c = connection_.raw();
    if (!scaled_) scaled_ = makePicture(scaledPixmap_, grain_.size, grain_.size);
    // The same rounding as the mask applies to the ramp's rows.
    const xcb_render_picture_t solid = xcb_generate_id(c);
    const std::uint16_t a = std::uint16_t(alpha * 257);
    xcb_render_create_solid_fill(c, solid, xcb_render_color_t{0, 0, 0, a});
    xcb_render_composite(c, XCB_RENDER_PICT_OP_SRC, tile_, solid, scaled_, 0, 0, 0, 0, 0, 0,
                         std::uint16_t(grain_.size), std::uint16_t(grain_.size));
    xcb_render_free_picture(c, solid);
    scaledAlpha_ = alpha;
}

void VeilRenderer::attach(xcb_window_t window, int width, int height) {
    if (!connection_.isOpen() || !formats_ || !argb32_ || !a8_ || veils_.count(window)) return;
    xcb_connection_t* c = connection_.raw();
    auto attributes =
        reply(xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr));
    if (!attributes) return;
    const xcb_render_pictvisual_t* visual =
        xcb_render_util_find_visual_format(formats_, attributes->visual);
    if (!visual) return;
    xcb_render_pictforminfo_t wanted{};
    wanted.id = visual->format;
    const xcb_render_pictforminfo_t* info =
        xcb_render_util_find_format(formats_, XCB_PICT_FORMAT_ID, &wanted, 0);
    Veil veil;
    veil.translucent = info && info->direct.alpha_mask != 0;
    veil.width = width;
    veil.height = height;
    veil.picture = xcb_generate_id(c);
    xcb_render_create_picture(c, veil.picture, window, visual->format, 0, nullptr);
    allocateMask(veil);
    // No _KDE_NET_WM_BLUR_BEHIND_REGION: KWin's blur would ignore the mask and
    // blur the top of an ambient veil too; the frost below is the blur.
    veil.window = window;
    auto& stored = veils_.emplace(window, std::move(veil)).first->second;
    if (frost_) frost_->attach(window, width, height);
    applyShape(window, stored);
    if (!compositor_ && !warned_) {
        core::log(kNoCompositor);
        warned_ = true;
    }
    drawAll(now());
}

void VeilRenderer::resize(xcb_window_t window, int width, int height) {
    auto it = veils_.find(window);
    if (it == veils_.end()) return;
    Veil& veil = it->second;
    if (veil.width == width && veil.height == height) return;
    veil.width = width;
    if (veil.height != height) {
        veil.height = height;
        xcb_render_free_picture(connection_.raw(), veil.mask);
        xcb_free_pixmap(connection_.raw(), veil.maskPixmap);
        allocateMask(veil);
    }
    if (frost_) frost_->attach(window, width, height);
    applyShape(window, veil);
    draw(veil, now());
    xcb_flush(connection_.raw());
}

void VeilRenderer::detach(xcb_window_t window) {
    auto it = veils_.find(window);
    if (it == veils_.end()) return;
    freeVeil(it->second);
    veils_.erase(it);
    if (frost_) frost_->detach(window);
}

void VeilRenderer::prepareMap(xcb_window_t window) {
    auto it = veils_.find(window);
    if (it == veils_.end() || !it->second.translucent) return;
    Veil& veil = it->second;
    if (frost_) frost_->findSourcesNow(window);
    xcb_connection_t* c = connection_.raw();
    xcb_pixmap_t pixmap = 0;
    const xcb_render_picture_t frame = makePicture(pixmap, veil.width, veil.height);
    draw(veil, now(), frame);
    xcb_change_window_attributes(c, window, XCB_CW_BACK_PIXMAP, &pixmap);
    // The window keeps the pixmap as long as it is its background.
    xcb_render_free_picture(c, frame);
    xcb_free_pixmap(c, pixmap);
    veil.background = true;
}

void VeilRenderer::allocateMask(Veil& veil) {
    xcb_connection_t* c = connection_.raw();
    veil.maskPixmap = xcb_generate_id(c);
    xcb_create_pixmap(c, 8, veil.maskPixmap, connection_.root(), 1,
                      std::uint16_t(std::max(1, veil.height)));
    veil.mask = xcb_generate_id(c);
    // One column, repeated across the width.
    const std::uint32_t repeat = XCB_RENDER_REPEAT_NORMAL;
    xcb_render_create_picture(c, veil.mask, veil.maskPixmap, a8_, XCB_RENDER_CP_REPEAT, &repeat);
    veil.column.clear();
}

void VeilRenderer::freeVeil(Veil& veil) {
    xcb_connection_t* c = connection_.raw();
    xcb_render_free_picture(c, veil.picture);
    xcb_render_free_picture(c, veil.mask);
    xcb_free_pixmap(c, veil.maskPixmap);
}

void VeilRenderer::applyShape(xcb_window_t window, const Veil& veil) {
    xcb_connection_t* c = connection_.raw();
    if (compositor_ && veil.translucent) {
        xcb_shape_mask(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, window, 0, 0, XCB_NONE);
    } else {
        // Without a compositor the window would be opaque: better no veil than a black screen.
        xcb_shape_rectangles(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, XCB_CLIP_ORDERING_UNSORTED,
                             window, 0, 0, 0, nullptr);
    }
}

void VeilRenderer::sayBacking() {
    if (frost_ && frost_->available()) {
        core::log(
            "🪟 The veil's backing: Quorvel's own frost of the windows below it, drawn in the "
            "X server (no compositor blurs behind a window through its mask)");
    } else {
        core::log(
            "🪟 The veil's backing: the tint alone over what the compositor shows (the X "
            "server lacks Composite 0.2 or Damage, so Quorvel cannot frost it)");
    }
}

bool VeilRenderer::drawFrosted(Veil& veil, const look::VeilAppearance& appearance,
                               xcb_render_picture_t into) {
    if (!frost_ || !frost_->available() || !veil.translucent) return false;
    const xcb_render_picture_t backing = frost_->backing(veil.window);
    if (!backing) return false;
    xcb_connection_t* c = connection_.raw();
    const auto width = std::uint16_t(veil.width);
    // Tint and grain as the compositors lay them over their blur, so the veil
    // looks the same on every backend.
    ensureTile(appearance);
    xcb_render_composite(c, XCB_RENDER_PICT_OP_OVER, tile_, XCB_NONE, backing, 0, 0, 0, 0, 0, 0,
                         width, std::uint16_t(veil.height));
    uploadColumn(veil, look::veilMaskColumn8(veil.height, appearance));
    const std::vector<std::uint8_t>& column = veil.column;
    std::size_t ramp = column.size();
    while (ramp > 0 && column[ramp - 1] == column.back()) --ramp;
    if (ramp > 0) {
        xcb_render_composite(c, XCB_RENDER_PICT_OP_SRC, backing, veil.mask, into, 0, 0, 0, 0, 0, 0,
                             width, std::uint16_t(ramp));
    }
    // Below the ramp the mask is one value: a solid alpha, or none at all.
    xcb_render_picture_t solid = XCB_NONE;
    if (column.back() != 255) {
        solid = xcb_generate_id(c);
        const std::uint16_t a = std::uint16_t(column.back() * 257);
        xcb_render_create_solid_fill(c, solid, xcb_render_color_t{0, 0, 0, a});
    }
    const auto top = std::int16_t(ramp);
    xcb_render_composite(c, XCB_RENDER_PICT_OP_SRC, backing, solid, into, 0, top, 0, 0, 0, top,
                         width, std::uint16_t(column.size() - ramp));
    if (solid) xcb_render_free_picture(c, solid);
    return true;
}

void VeilRenderer::draw(Veil& veil, const look::VeilAppearance& appearance,
                        xcb_render_picture_t into) {
    if (!into) into = veil.picture;
    if (veil.width <= 0 || veil.height <= 0 || drawFrosted(veil, appearance, into)) return;
    ensureTile(appearance);
    xcb_connection_t* c = connection_.raw();
    uploadColumn(veil, look::veilMaskColumn8(veil.height, appearance));
    const std::vector<std::uint8_t>& column = veil.column;
    // The ramp ends where the column's last value starts to hold to the bottom.
    std::size_t ramp = column.size();
    while (ramp > 0 && column[ramp - 1] == column.back()) --ramp;
    const auto width = std::uint16_t(veil.width);
    if (ramp > 0) {
        ensureStrip(veil.width);
        xcb_render_composite(c, XCB_RENDER_PICT_OP_SRC, strip_, veil.mask, into, 0, 0, 0, 0, 0, 0,
                             width, std::uint16_t(ramp));
    }
    ensureScaledTile(column.back());
    const auto top = std::int16_t(ramp);
    xcb_render_composite(c, XCB_RENDER_PICT_OP_SRC, scaled_, XCB_NONE, into, 0, top, 0, 0, 0, top,
                         width, std::uint16_t(column.size() - ramp));
}

void VeilRenderer::uploadColumn(Veil& veil, std::vector<std::uint8_t> column) {
    if (column == veil.column) return;
    xcb_connection_t* c = connection_.raw();
    const std::size_t stride = std::size_t(std::max(8, maskScanlinePad_) / 8);
    std::vector<std::uint8_t> rows(column.size() * stride, 0);
    for (std::size_t y = 0; y < column.size(); ++y) rows[y * stride] = column[y];
    xcb_gcontext_t gc = xcb_generate_id(c);
    xcb_create_gc(c, gc, veil.maskPixmap, 0, nullptr);
    xcb_put_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, veil.maskPixmap, gc, 1,
                  std::uint16_t(column.size()), 0, 0, 0, 8, std::uint32_t(rows.size()),
                  rows.data());
    xcb_free_gc(c, gc);
    veil.column = std::move(column);
}

std::size_t VeilRenderer::clientBytes() const {
    std::size_t bytes = sizeof(*this) + grain_.luminance.capacity();
    for (const auto& [window, veil] : veils_) bytes += sizeof(veil) + veil.column.capacity();
    return bytes;
}

}  // namespace quorvel::x11
