#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "core/scheduler.h"
#include "core/signal.h"
#include "look/veil_animation.h"
#include "look/veil_appearance.h"
#include "look/veil_grain.h"

namespace quorvel::look {
class OverlayStyle;
}
namespace quorvel::ports {
class ColorSchemeSource;
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

/// The user's look, followed as the X11 renderer follows it: loaded at once,
/// then a change of focus mode glides the mask over the transition duration
/// and every other change applies at once. Listeners hear of every frame.
class CompositorVeilLook {
public:
    explicit CompositorVeilLook(core::Scheduler& scheduler);
    CompositorVeilLook(const CompositorVeilLook&) = delete;
    CompositorVeilLook& operator=(const CompositorVeilLook&) = delete;

    /// Both must outlive this object.
    void follow(look::OverlayStyle& style, ports::ColorSchemeSource& schemes);
    look::VeilAppearance appearance() const;
    const look::GrainTile& grain() const { return grain_; }
    core::Signal<>& changed() { return changed_; }

    /// Frames per second of the mode glide: each frame sends whole images.
    static constexpr double frameRate = 20.0;
    /// The shell's blur, in pixels: about as wide as the X11 frost.
    static constexpr double kBlurSigma = 40.0;

private:
    look::VeilAppearance currentTarget() const;
    void refresh();

    core::Scheduler& scheduler_;
    look::GrainTile grain_;
    look::VeilAnimation animation_;
    look::OverlayStyle* style_ = nullptr;
    ports::ColorSchemeSource* schemes_ = nullptr;
    core::Connection styleChanged_;
    core::Connection schemeChanged_;
    core::Timer frames_;
    bool refreshQueued_ = false;
    core::Signal<> changed_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace quorvel::compositor
