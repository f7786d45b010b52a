#include "look/veil_grain.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "look/veil_mask.h"

namespace quorvel::look {
namespace {

double clampUnit(double v) {
    if (std::isnan(v)) return 0.0;
    return std::clamp(v, 0.0, 1.0);
}

// The grain uses integer arithmetic only, so that no compiler's choice of
// floating-point contraction or rounding can change a single pixel.

constexpr std::int64_t kRawRange = 65535;  // raw noise lies in [-kRawRange, kRawRange]
// The softened value is 4 x centre + 4 neighbours, so it lies in +-8 x kRawRange.
constexpr std::int64_t kSoftRange = 8 * kRawRange;

// Raw noise, triangular (the sum of two uniform 16-bit draws), so most pixels
// stay near mid-grey and few reach the extremes.
std::int64_t rawNoise(int x, int y, int size, std::uint32_t seedHash) {
    const auto wrap = [size](int v) {
        return static_cast<std::uint32_t>((v % size + size) % size);
    };
    const std::uint32_t index = wrap(y) * static_cast<std::uint32_t>(size) + wrap(x);
    const std::uint32_t a = grainHash(seedHash ^ (index * 2u)) >> 16;
    const std::uint32_t b = grainHash(seedHash ^ (index * 2u + 1u)) >> 16;
    return static_cast<std::int64_t>(a) + static_cast<std::int64_t>(b) - kRawRange;
}

// The softening halves the noise's spread; a gain of 8/5 brings the swing back
// to a visible grain before the clamp to the tile's range.
std::uint8_t grainLuminance(std::int64_t soft) {
    const std::int64_t v = std::clamp<std::int64_t>(soft * 8 / 5, -kSoftRange, kSoftRange);
    // Maps [-kSoftRange, kSoftRange] onto [0, 255], rounding to nearest.
    return static_cast<std::uint8_t>(((v + kSoftRange) * 255 + kSoftRange) / (2 * kSoftRange));
}

// The swing at the full slider: with the tile's spread of luminance and the
// tints' alpha, about 9 grey levels of spread over a mid-grey desktop, where
// either tint lies 108 levels away. The exponent makes half the slider a bit
// less than half of that (about 4), where the texture still reads as fine.
constexpr double kFullSwing = 0.42;
constexpr double kSwingExponent = 1.2;

}  // namespace

std::uint32_t grainHash(std::uint32_t value) {
    value ^= value >> 16;
    value *= 0x7FEB352Du;
    value ^= value >> 15;
    value *= 0x846CA68Bu;
    value ^= value >> 16;
    return value;
}

GrainTile makeGrainTile(int size, std::uint32_t seed) {
    GrainTile tile;
    if (size < 1) return tile;
    tile.size = size;
    tile.luminance.resize(static_cast<std::size_t>(size) * static_cast<std::size_t>(size));
    const std::uint32_t seedHash = grainHash(seed);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const std::int64_t neighbours =
                rawNoise(x - 1, y, size, seedHash) + rawNoise(x + 1, y, size, seedHash) +
                rawNoise(x, y - 1, size, seedHash) + rawNoise(x, y + 1, size, seedHash);
            tile.luminance[static_cast<std::size_t>(y) * static_cast<std::size_t>(size) +
                           static_cast<std::size_t>(x)] =
                grainLuminance(4 * rawNoise(x, y, size, seedHash) + neighbours);
        }
    }
    return tile;
}

double grainSwing(double intensity) {
    return kFullSwing * std::pow(clampUnit(intensity), kSwingExponent);
}

double grainCoverage(std::uint8_t luminance, double intensity) {
    return 1.0 + grainSwing(intensity) * (127.5 - static_cast<double>(luminance)) / 127.5;
}

std::uint32_t premultipliedArgb(const Rgba& colour) {
    const double a = clampUnit(colour.alpha);
    const auto channel = [a](double c) { return static_cast<std::uint32_t>(toChannel8(c * a)); };
    return static_cast<std::uint32_t>(toChannel8(a)) << 24 | channel(colour.red) << 16 |
           channel(colour.green) << 8 | channel(colour.blue);
}

ArgbTile makeVeilTile(const GrainTile& grain, const Rgba& tint, double intensity) {
    // A pixel depends only on its grain byte: work out the 256 possible ones once.
    std::array<std::uint32_t, 256> byLuminance{};
    for (std::size_t i = 0; i < byLuminance.size(); ++i) {
        const double alpha =
            clampUnit(tint.alpha) * grainCoverage(static_cast<std::uint8_t>(i), intensity);
        byLuminance[i] = premultipliedArgb({tint.red, tint.green, tint.blue, alpha});
    }
    ArgbTile tile;
    tile.size = grain.size;
    tile.pixels.resize(grain.luminance.size());
    std::transform(grain.luminance.begin(), grain.luminance.end(), tile.pixels.begin(),
                   [&byLuminance](std::uint8_t l) { return byLuminance[l]; });
    return tile;
}

}  // namespace quorvel::look
