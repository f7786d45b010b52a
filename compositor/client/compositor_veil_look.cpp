#include "compositor/client/compositor_veil_look.h"

#include "look/look_follower.h"
#include "look/veil_mask.h"

namespace quorvel::compositor {

namespace {

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

CompositorVeilLook::CompositorVeilLook()
    : grain_(look::makeGrainTile()),
      default_(look::makeVeilAppearance(settings::FocusMode::ambient, 0.5, false, 1.0,
                                        settings::ThemeMode::automatic, look::ColorScheme::light,
                                        true)) {}

void CompositorVeilLook::follow(look::LookFollower& look) {
    look_ = &look;
    lookChanged_ = look.changed().connect([this] { changed_.emit(); });
    changed_.emit();
}

void CompositorVeilLook::setFrost(bool frost) {
    if (frost == frost_) return;
    frost_ = frost;
    changed_.emit();
}

look::VeilAppearance CompositorVeilLook::appearance() const {
    look::VeilAppearance appearance = look_ ? look_->appearance() : default_;
    appearance.blurAvailable = frost_;
    return appearance;
}

}  // namespace quorvel::compositor
