#pragma once

#include <xcb/render.h>
#include <xcb/xcb.h>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "core/scheduler.h"
#include "core/signal.h"
#include "look/veil_appearance.h"
#include "look/veil_grain.h"
#include "x11/frost_renderer.h"
#include "x11/veil_strategy.h"

namespace quorvel::look {
class LookFollower;
}

namespace quorvel::x11 {

class Connection;

/// Draws the veil into every overlay window, in the X server with Render: the
/// frost of what lies below it (FrostRenderer); the tile of tint and grain
/// over it, as the compositors lay it over their blur; and the mode's mask
/// multiplying the whole stack on its way into the window (an A8 column repeated across the
/// width for the ramp's rows, one solid alpha below). No compositor is known to
/// blur through a window's mask, so the frost is always Quorvel's (without
/// Composite or Damage in the server: the tinted grain tile alone).
/// A running compositor (an owner of _NET_WM_CM_S<screen>) is what makes a
/// translucent window possible. Without one, an ARGB window shows opaque, so
/// every veil gets an empty bounding shape: it stays mapped and stacked but
/// shows nothing until a compositor starts.
class VeilRenderer {
public:
    /// `desktop` says whether a compositor runs; it must outlive the renderer.
    VeilRenderer(Connection& connection, core::Scheduler& scheduler, VeilStrategyWatch& desktop);
    ~VeilRenderer();
    VeilRenderer(const VeilRenderer&) = delete;
    VeilRenderer& operator=(const VeilRenderer&) = delete;

    /// From now on the look comes from `look`, redrawn at each of its
    /// changes. It must outlive the renderer.
    void follow(look::LookFollower& look);

    /// Starts drawing `window` (a depth-32 window of `width` x `height`).
    void attach(xcb_window_t window, int width, int height);
    void resize(xcb_window_t window, int width, int height);
    /// Stops drawing `window`; call before destroying it.
    void detach(xcb_window_t window);
    /// Call just before mapping `window`: its frame becomes its background, which
    /// the X server paints within the map, before a compositor takes the window's
    /// picture (picom's GLX backend on a software renderer keeps that one for
    /// good). The first Expose takes the background away again.
    void prepareMap(xcb_window_t window);

    /// Draws every veil as the look stands now (also what Expose does).
    void redrawAll();
    /// Draws every veil with `appearance` (the benchmark drives frames with it).
    void drawAll(const look::VeilAppearance& appearance);

    bool compositorRunning() const { return compositor_; }
    /// Whether the veils are drawn with a look followed, not the default one.
    bool hasLook() const { return look_ != nullptr; }
    /// Emitted once `follow` has drawn every veil with its look.
    core::Signal<>& lookFollowed() { return lookFollowed_; }
    /// The frost follows what changes below it less often while on battery.
    void setOnBattery(bool onBattery);
    look::VeilAppearance appearance() const;  ///< settled
    bool isAnimating() const;
    /// Bytes this process holds for drawing, shared tiles plus `veilCount` veils.
    std::size_t clientBytes() const;
    std::size_t veilCount() const { return veils_.size(); }

    /// How often a glide between the modes is redrawn.
    static constexpr double frameRate = 60.0;

private:
    struct Veil {
        xcb_window_t window = 0;
        xcb_render_picture_t picture = 0;
        xcb_pixmap_t maskPixmap = 0;
        xcb_render_picture_t mask = 0;
        int width = 0;
        int height = 0;
        bool translucent = true;
        bool background = false;           // a first frame is set as the window's background
        std::vector<std::uint8_t> column;  // what the mask pixmap holds
    };

    void initFormats();
    void setCompositor(bool running);
    void handleEvent(const xcb_generic_event_t& event);
    /// What to draw now, with the frost this desktop allows.
    look::VeilAppearance now() const;
    void ensureTile(const look::VeilAppearance& appearance);
    void ensureStrip(int width);
    void ensureScaledTile(std::uint8_t alpha);
    xcb_render_picture_t makePicture(xcb_pixmap_t& pixmap, int width, int height);
    void allocateMask(Veil& veil);
    void freeVeil(Veil& veil);
    /// Into the window, or into `into` when given.
    void draw(Veil& veil, const look::VeilAppearance& appearance, xcb_render_picture_t into = 0);
    /// Frost, tint, grain and mask; false when there is no frost to draw on.
    bool drawFrosted(Veil& veil, const look::VeilAppearance& appearance, xcb_render_picture_t into);
    void sayBacking();
    void uploadColumn(Veil& veil, std::vector<std::uint8_t> column);
    void applyShape(xcb_window_t window, const Veil& veil);

    Connection& connection_;
    core::Scheduler& scheduler_;
    look::LookFollower* look_ = nullptr;
    core::Connection lookChanged_;
    core::Signal<> lookFollowed_;

    look::GrainTile grain_;
    look::VeilAppearance defaultLook_;
    std::optional<look::VeilAppearance> tileLook_;  // what the server's tile shows
    xcb_pixmap_t tilePixmap_ = 0;
    xcb_render_picture_t tile_ = 0;
    xcb_pixmap_t stripPixmap_ = 0;
    xcb_render_picture_t strip_ = 0;  // the tile repeated across `stripWidth_`
    int stripWidth_ = 0;
    bool stripStale_ = true;
    xcb_pixmap_t scaledPixmap_ = 0;
    xcb_render_picture_t scaled_ = 0;  // the tile times `scaledAlpha_`
    int scaledAlpha_ = -1;
    xcb_render_pictformat_t argb32_ = 0;
    xcb_render_pictformat_t a8_ = 0;
    const xcb_render_query_pict_formats_reply_t* formats_ = nullptr;
    int maskScanlinePad_ = 32;

    std::map<xcb_window_t, Veil> veils_;

    int eventHandler_ = 0;
    core::Connection compositorChanged_;
    std::unique_ptr<FrostRenderer> frost_;
    bool compositor_ = false;
    bool warned_ = false;
};

}  // namespace quorvel::x11
