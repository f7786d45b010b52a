#pragma once

#include <cstdint>
#include <vector>

#include "look/veil_theme.h"

namespace quorvel::look {

// Separable blend functions of the W3C Compositing and Blending standard, per
// channel, `backdrop` (cb) being what is drawn below and `source` (cs) what is
// drawn on top. Inputs are in [0, 1].
double multiplyBlend(double backdrop, double source);
double screenBlend(double backdrop, double source);
/// The source decides: multiply where it is dark, screen where it is light.
double hardLightBlend(double backdrop, double source);
/// The backdrop decides: hard light with the layers swapped. A mid-grey source
/// (0.5) leaves every backdrop unchanged, which is why the grain can sit
/// around mid-grey without shifting the veil's colour.
double overlayBlend(double backdrop, double source);

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

/// The grain layer's grey for one tile luminance at `intensity` (clamped to
/// [0, 1], NaN counts as 0): mid-grey at 0, the tile's full swing at 1.
double grainSource(std::uint8_t luminance, double intensity);

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

/// The veil's unmasked backing and grain in one tile: the grain layer (grey
/// from `grainSource`) blended with the overlay mode onto `tint`. The grain
/// takes the tint's coverage: it changes the veil's colour, never how much of
/// the desktop shows through, so every pixel's alpha is the tint's alpha and at
/// intensity 0 the tile is the flat tint.
ArgbTile makeVeilTile(const GrainTile& grain, const Rgba& tint, double intensity);

}  // namespace quorvel::look
