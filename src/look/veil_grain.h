#pragma once

#include <cstdint>
#include <vector>

#include "look/veil_theme.h"

namespace quorvel::look {

/// The side of the square grain tile, in pixels. The tile repeats across the
/// monitor; 128 is large enough that the eye finds no repeat in fine grain.
inline constexpr int kGrainTileSize = 128;
/// The grain is the same on every run and every machine.
inline constexpr std::uint32_t kGrainSeed = 0x5EED'F11Bu;

/// A square tile of 8-bit grain luminance centred on mid-grey, row-major.
struct GrainTile {
    int size = 0;
    std::vector<std::uint8_t> luminance;
    std::uint8_t at(int x, int y) const {
        return luminance[static_cast<std::size_t>(y) * static_cast<std::size_t>(size) +
                         static_cast<std::size_t>(x)];
    }
};

/// A 32-bit avalanche hash of `value`: every input bit flips about half the
/// output bits. Integer arithmetic only, so it is identical everywhere.
std::uint32_t grainHash(std::uint32_t value);

/// Builds the grain: per-pixel noise from `grainHash`, softened over its four
/// neighbours so it clumps like film grain rather than shimmering pixel by
/// pixel. The softening wraps around the edges, so the tile's left column
/// continues its right one and its top row its bottom one: repeated, it shows
/// no seam. A size below 1 gives an empty tile.
GrainTile makeGrainTile(int size = kGrainTileSize, std::uint32_t seed = kGrainSeed);

/// How far the grain moves the tint's alpha at `intensity` (clamped to [0, 1],
/// NaN counts as 0), as a fraction of it: the tile's darkest and lightest
/// grain cover that much more and less than the tint. It grows a little
/// faster than the slider, so half way (the default) stays a fine texture on
/// a flat area, about 4 grey levels of spread on mid-grey, and the full slider
/// about doubles it.
double grainSwing(double intensity);

/// The factor on the tint's alpha at a pixel of tile luminance `luminance`:
/// above 1 where the grain is darker than mid-grey, below 1 where it is
/// lighter, by up to grainSwing(intensity) at black and white.
double grainCoverage(std::uint8_t luminance, double intensity);

/// A tile of premultiplied 32-bit ARGB pixels (alpha in the top byte, then
/// red, green, blue: the layout of an X Render ARGB32 picture), row-major.
struct ArgbTile {
    int size = 0;
    std::vector<std::uint32_t> pixels;
    std::uint32_t at(int x, int y) const {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(size) +
                      static_cast<std::size_t>(x)];
    }
};

/// Packs a straight colour as premultiplied ARGB32, each channel rounded.
std::uint32_t premultipliedArgb(const Rgba& colour);
/// The alpha, red, green and blue bytes of a packed pixel.
inline std::uint8_t alphaByte(std::uint32_t p) {
    return static_cast<std::uint8_t>(p >> 24);
}
inline std::uint8_t redByte(std::uint32_t p) {
    return static_cast<std::uint8_t>(p >> 16);
}
inline std::uint8_t greenByte(std::uint32_t p) {
    return static_cast<std::uint8_t>(p >> 8);
}
inline std::uint8_t blueByte(std::uint32_t p) {
    return static_cast<std::uint8_t>(p);
}

/// The veil's unmasked tint and grain in one tile, laid over the frost on
/// every backend alike (Quorvel's X11 frost, GNOME Shell's and KWin's blur):
/// the tint's colour everywhere, its alpha scaled by `grainCoverage`. The grain
/// is how densely the tint covers each pixel, so it lightens and darkens
/// evenly in either scheme (only over-the-frost drawing is available to the
/// compositors, and a colour-only grain has no room below a near-black tint),
/// and on average the tile covers as much as the tint: whatever lies below,
/// the veil's mean colour does not move. At intensity 0 it is the flat tint.
ArgbTile makeVeilTile(const GrainTile& grain, const Rgba& tint, double intensity);

}  // namespace quorvel::look
