#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "core/scheduler.h"
#include "core/signal.h"
#include "look/veil_appearance.h"
#include "look/veil_grain.h"

namespace quorvel::look {
class LookFollower;
}

namespace quorvel::compositor {

/// The veil's look as the extension draws it, for a veil `height` rows tall:
/// one column of tiles (`width` wide, repeated across the monitor) already
/// masked, and the mask per row for the shell's blur underneath.
struct CompositorVeilImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // premultiplied ARGB, row-major
    std::vector<std::uint8_t> mask;     // one per row
};

/// Tint and grain through the mask: the extension only repeats it.
CompositorVeilImage makeShellVeilImage(const look::GrainTile& grain,
                                       const look::VeilAppearance& appearance, int height);

/// The look every veil in the compositor is drawn with: the user's, from the
/// follower (the default one until `follow`), with the grain tile it uses.
class CompositorVeilLook {
public:
    CompositorVeilLook();
    CompositorVeilLook(const CompositorVeilLook&) = delete;
    CompositorVeilLook& operator=(const CompositorVeilLook&) = delete;

    /// It must outlive this object.
    void follow(look::LookFollower& look);
    look::VeilAppearance appearance() const;
    /// Where the compositor cannot blur (KWin on QPainter) the tint stands in
    /// for the frost, as on an X11 desktop without a compositor.
    void setFrost(bool frost);
    const look::GrainTile& grain() const { return grain_; }
    /// At every change of the look, and every frame of a glide.
    core::Signal<>& changed() { return changed_; }

    /// The compositor's blur, in pixels: about as wide as the X11 frost.
    static constexpr double kBlurSigma = 40.0;

private:
    look::GrainTile grain_;
    look::VeilAppearance default_;
    look::LookFollower* look_ = nullptr;
    bool frost_ = true;
    core::Connection lookChanged_;
    core::Signal<> changed_;
};

}  // namespace quorvel::compositor
