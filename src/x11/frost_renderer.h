#pragma once

#include <xcb/damage.h>
#include <xcb/render.h>
#include <xcb/xcb.h>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "core/geometry.h"
#include "core/scheduler.h"

namespace quorvel::x11 {

class Connection;

/// The frosted backing of each veil, made entirely inside the X server: no
/// window pixel ever travels to this process, and nothing is kept but the
/// server-side pictures of the current frame.
///
/// The sources are the root background (_XROOTPMAP_ID or ESETROOT_PMAP_ID,
/// else black: the root window itself reads back the compositor's output)
/// and, bottom to top, the mapped toplevels below the veil that overlap its
/// monitor, read through Composite's window pixmaps (so they must be
/// redirected: a compositor runs). They are drawn at half size with bilinear
/// filtering (an exact 2x2 average) and halved twice more to an eighth, so
/// thin lines such as text cannot beat against a coarse sampling into bands.
/// That eighth is blurred there by Kawase passes (each pixel the mean of four
/// bilinear samples at growing diagonal offsets: a wide, smooth
/// blur for 20 small composites), and scaled back up to the veil.
///
/// Damage on the sources and any restack, map, unmap or move among the root's
/// children mark the veils stale; refreshes are coalesced to at most `maxRate`
/// a second, and a refresh that finds the same sources undamaged does nothing.
class FrostRenderer {
public:
    /// Called when a veil's sources changed and its backing must be drawn anew.
    using Stale = std::function<void(xcb_window_t veil)>;

    FrostRenderer(Connection& connection, core::Scheduler& scheduler,
                  const xcb_render_query_pict_formats_reply_t* formats, Stale stale);
    ~FrostRenderer();
    FrostRenderer(const FrostRenderer&) = delete;
    FrostRenderer& operator=(const FrostRenderer&) = delete;

    /// False when the server lacks Composite 0.2 or Damage: the veil then
    /// shows its tint over whatever blur the compositor adds.
    bool available() const { return available_; }

    void attach(xcb_window_t veil, int width, int height);
    void detach(xcb_window_t veil);
    /// Reads what lies below `veil` now rather than on the next refresh (for
    /// the frame it is mapped with).
    void findSourcesNow(xcb_window_t veil);

    /// Draws what lies below `veil`, frosted, into a picture of the veil's size
    /// and returns it (0 when the veil is unknown). The caller may draw onto
    /// it; the next call draws it anew.
    xcb_render_picture_t backing(xcb_window_t veil);

    /// Refreshes per second at most; a frosted background a few frames late
    /// is invisible, a busy processor is not. On battery, fewer.
    static constexpr double maxRate = 30.0;
    static constexpr double batteryRate = 5.0;
    /// After a restack the frost waits this long: the veil's new place is
    /// what the user waits for, and a long Render request queued before it
    /// in the X server would hold it up; the frost a frame later is unseen.
    static constexpr double kAfterStacking = 0.05, kSettle = 0.3;
    void setOnBattery(bool onBattery) { rate_ = onBattery ? batteryRate : maxRate; }
    double rate() const { return rate_; }
    /// The sources are drawn this many times smaller than the monitor, the
    /// frost is this twice over.
    static constexpr int kGather = 2;
    static constexpr int kScale = 8;
    /// The diagonal offset of each blur pass, in pixels of the eighth.
    static constexpr std::array<double, 5> kPasses{0.5, 1.5, 2.5, 2.5, 3.5};

private:
    struct Surface {
        xcb_pixmap_t pixmap = 0;
        xcb_render_picture_t picture = 0;  // plain, and the destination
        xcb_render_picture_t down = 0;     // read halved (the next level is half as large)
        xcb_render_picture_t up = 0;       // read enlarged to the veil's size
        xcb_render_picture_t shift = 0;    // read shifted by part of a pixel
        int width = 0, height = 0;
    };
    struct Source {
        xcb_window_t id = 0;
        core::Rect geometry;
        bool operator==(const Source&) const = default;
    };
    struct Frost {
        int width = 0, height = 0;
        core::Rect frame;               // on the root, as last drawn
        std::array<Surface, 3> levels;  // 1/2, 1/4, 1/8 of the monitor
        Surface scratch;                // 1/8, the other side of each blur pass
        Surface full;
        std::vector<Source> sources;
        bool stale = true, framed = false, settling = false;
    };
    struct Format {
        xcb_render_pictformat_t id = 0;
        bool opaque = true;
    };

    void handleEvent(const xcb_generic_event_t& event);
    void schedule(double atLeast = 0.0);
    void refreshAll();
    /// The sources below `veil` now, bottom to top; false when it is not shown.
    bool findSources(xcb_window_t veil, Frost& frost, std::vector<Source>& out);
    void watchSources();
    void compose(Frost& frost);
    void drawBackground(Frost& frost);
    void blur(Frost& frost);
    const Format* formatOf(xcb_window_t window);
    void readRootPixmap();
    /// A picture of `width` x `height`, with readers halving and scaling by `upScale`.
    Surface makeSurface(int width, int height, double upScale);
    void freeSurface(Surface& surface);
    void freeFrost(Frost& frost);

    Connection& connection_;
    core::Scheduler& scheduler_;
    const xcb_render_query_pict_formats_reply_t* formats_;
    Stale stale_;
    bool available_ = false;
    int eventHandler_ = 0;
    std::uint8_t damageNotify_ = 0;
    xcb_render_pictformat_t argb32_ = 0;
    xcb_render_picture_t quarter_ = 0;  // a solid alpha of 1/4
    std::map<xcb_window_t, Frost> frosts_;
    std::map<xcb_window_t, xcb_damage_damage_t> damages_;
    std::map<xcb_window_t, Format> formatsByWindow_;
    std::array<xcb_atom_t, 2> rootPixmapAtoms_{};
    xcb_pixmap_t rootPixmap_ = 0;
    xcb_render_picture_t rootPicture_ = 0;
    bool rootStale_ = true;
    core::Timer timer_;
    double last_ = -1.0;
    double rate_ = maxRate;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace quorvel::x11
