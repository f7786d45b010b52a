#include "compositor/client/compositor_veil_look.h"

#include "look/overlay_style.h"
#include "look/veil_mask.h"
#include "ports/color_scheme.h"

namespace quorvel::compositor {

namespace {

look::ColorScheme toOverlay(ports::SystemColorScheme scheme) {
    return scheme == ports::SystemColorScheme::dark ? look::ColorScheme::dark
                                                       : look::ColorScheme::light;
}

std::uint32_t scaled(std::uint32_t pixel, std::uint32_t factor) {
    std::uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const std::uint32_t channel = (pixel >> shift) & 0xffu;
        out |= ((channel * factor + 127u) / 255u) << shift;
    }
    return out;
}

}  // namespace

CompositorVeilImage makeShellVeilImage(const look::GrainTile& grain,
                                  const look::VeilAppearance& appearance, int height) {
    CompositorVeilImage image;
    if (height <= 0) return image;
    const look::ArgbTile tile = look::makeVeilTile(grain, appearance);
    image.width = tile.size;
    image.height = height;
    image.mask = look::veilMaskColumn8(height, appearance);
    image.pixels.resize(std::size_t(tile.size) * std::size_t(height));
    for (int y = 0; y < height; ++y) {
        const std::uint32_t factor = image.mask[std::size_t(y)];
        for (int x = 0; x < tile.size; ++x) {
            image.pixels[std::size_t(y) * std::size_t(tile.size) + std::size_t(x)] =
                scaled(tile.at(x, y % tile.size), factor);
        }
    }
    return image;
}

CompositorVeilLook::CompositorVeilLook(core::Scheduler& scheduler)
    : scheduler_(scheduler),
      grain_(look::makeGrainTile()),
      animation_(look::makeVeilAppearance(settings::FocusMode::ambient, 0.5, false, 1.0,
                                             settings::ThemeMode::automatic,
                                             look::ColorScheme::light, true)) {}

void CompositorVeilLook::follow(look::OverlayStyle& style, ports::ColorSchemeSource& schemes) {
    style_ = &style;
    schemes_ = &schemes;
    // The style tells before it stores, and a settings change assigns all six
    // values in a row: read them once, on the next turn.
    const auto later = [this] {
        if (refreshQueued_) return;
        refreshQueued_ = true;
        scheduler_.async([this, alive = alive_] {
            if (*alive) refresh();
        });
    };
    styleChanged_ = style.objectWillChange().connect(later);
    schemeChanged_ = schemes.colorSchemeChanged().connect(later);
    animation_ = look::VeilAnimation(currentTarget());
    changed_.emit();
}

look::VeilAppearance CompositorVeilLook::currentTarget() const {
    const look::ColorScheme system =
        schemes_ ? toOverlay(schemes_->colorScheme()) : look::ColorScheme::light;
    if (!style_) {
        return look::makeVeilAppearance(settings::FocusMode::ambient, 0.5, false, 1.0,
                                           settings::ThemeMode::automatic, system, true);
    }
    // The shell always blurs behind the veil.
    return look::makeVeilAppearance(style_->focusMode(), style_->grainIntensity(),
                                       style_->useSlightTransparency(), style_->opacityValue(),
                                       style_->themeMode(), system, true);
}

look::VeilAppearance CompositorVeilLook::appearance() const {
    return animation_.appearanceAt(scheduler_.now());
}

void CompositorVeilLook::refresh() {
    refreshQueued_ = false;
    animation_.update(currentTarget(), scheduler_.now(),
                      style_ ? style_->transitionDuration() : 0.0);
    changed_.emit();
    if (frames_.isActive() || !animation_.isAnimating(scheduler_.now())) return;
    frames_ = scheduler_.repeating(1.0 / frameRate, core::TimerMode::Common, [this] {
        changed_.emit();  // the last frame lands on the settled look
        if (!animation_.isAnimating(scheduler_.now())) frames_.cancel();
    });
}

}  // namespace quorvel::compositor
