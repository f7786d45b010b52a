#include "overlay/veil_grain.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace quorvel::overlay {
namespace {

TEST(VeilGrain, OverlayBlendAgainstReferenceValues) {
    struct Row {
        double backdrop, source, expected;
    } rows[] = {
        {0.25, 0.5, 0.25},                    // mid-grey source leaves the backdrop as it is
        {0.75, 0.5, 0.75}, {0.25, 0.8, 0.4},  // dark backdrop: multiply(0.8, 0.5)
        {0.75, 0.2, 0.6},                     // light backdrop: screen(0.2, 0.5)
        {0.5, 0.3, 0.3},                      // backdrop at exactly 0.5 takes the multiply side
        {0.0, 0.9, 0.0},                      // black and white backdrops stay put
        {1.0, 0.1, 1.0},   {0.6, 0.0, 0.2},   // screen(0, 0.2)
        {0.4, 1.0, 0.8},                      // multiply(1, 0.8)
    };
    for (const Row& r : rows) {
        EXPECT_NEAR(overlayBlend(r.backdrop, r.source), r.expected, 1e-12)
            << r.backdrop << " " << r.source;
    }
    // Hard light decides by the source: the same pair gives a different answer.
    EXPECT_NEAR(hardLightBlend(0.25, 0.8), 0.7, 1e-12);
    EXPECT_NEAR(hardLightBlend(0.75, 0.2), 0.3, 1e-12);
    // A mid-grey source is neutral for every backdrop.
    for (int i = 0; i <= 255; ++i) EXPECT_NEAR(overlayBlend(i / 255.0, 0.5), i / 255.0, 1e-12);
}

std::uint64_t fnv1a(const std::vector<std::uint8_t>& bytes) {
    std::uint64_t h = 14695981039346656037ull;
    for (std::uint8_t b : bytes) h = (h ^ b) * 1099511628211ull;
    return h;
}

TEST(VeilGrain, TileIsTheSameOnEveryRun) {
    const GrainTile a = makeGrainTile();
    const GrainTile b = makeGrainTile();
    ASSERT_EQ(a.size, kGrainTileSize);
    ASSERT_EQ(a.luminance.size(), 128u * 128u);
    EXPECT_EQ(a.luminance, b.luminance);
    EXPECT_NE(makeGrainTile(kGrainTileSize, kGrainSeed + 1).luminance, a.luminance);
    // Pinned so that a change of the pattern (which changes every screenshot
    // reference) is deliberate.
    EXPECT_EQ(fnv1a(a.luminance), 0x776574c143f610bfull);
    EXPECT_EQ(grainHash(0u), 0u);
    EXPECT_EQ(grainHash(1u), 0x688990c0u);
    EXPECT_TRUE(makeGrainTile(0).luminance.empty());
}

TEST(VeilGrain, TileCentresOnMidGreyWithAVisibleSpread) {
    const GrainTile tile = makeGrainTile();
    double sum = 0, sumSq = 0;
    for (std::uint8_t l : tile.luminance) {
        sum += l;
        sumSq += double(l) * l;
    }
    const double n = double(tile.luminance.size());
    const double mean = sum / n;
    const double sd = std::sqrt(sumSq / n - mean * mean);
    EXPECT_NEAR(mean, 127.5, 1.5);
    EXPECT_GT(sd, 25.0);
    EXPECT_LT(sd, 60.0);
}

// Correlation of the luminance over pairs of pixels.
double correlation(const GrainTile& t, const std::vector<std::pair<int, int>>& a,
                   const std::vector<std::pair<int, int>>& b) {
    double sa = 0, sb = 0, saa = 0, sbb = 0, sab = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const double x = t.at(a[i].first, a[i].second);
        const double y = t.at(b[i].first, b[i].second);
        sa += x, sb += y, saa += x * x, sbb += y * y, sab += x * y;
    }
    const double n = double(a.size());
    return (sab / n - sa / n * sb / n) /
           std::sqrt((saa / n - sa / n * sa / n) * (sbb / n - sb / n * sb / n));
}

TEST(VeilGrain, TileRepeatsWithoutASeam) {
    // Neighbouring pixels share grain (it clumps); across the tile's edges the
    // wrapped neighbours must share it just as much, or a repeated tile shows
    // a grid of seams.
    const GrainTile t = makeGrainTile();
    const int last = t.size - 1;
    std::vector<std::pair<int, int>> seamA, seamB, innerA, innerB, farA, farB;
    for (int i = 0; i < t.size; ++i) {
        seamA.push_back({last, i}), seamB.push_back({0, i});  // right edge -> left edge
        seamA.push_back({i, last}), seamB.push_back({i, 0});  // bottom edge -> top edge
        innerA.push_back({40, i}), innerB.push_back({41, i});
        innerA.push_back({i, 70}), innerB.push_back({i, 71});
        farA.push_back({0, i}), farB.push_back({64, i});
        farA.push_back({i, 0}), farB.push_back({i, 64});
    }
    const double seam = correlation(t, seamA, seamB);
    const double inner = correlation(t, innerA, innerB);
    const double far = correlation(t, farA, farB);
    EXPECT_GT(inner, 0.25);
    EXPECT_GT(seam, 0.25);
    EXPECT_NEAR(seam, inner, 0.15);
    EXPECT_LT(std::fabs(far), 0.15);
}

TEST(VeilGrain, PremultipliedPacking) {
    EXPECT_EQ(premultipliedArgb({1.0, 0.5, 0.0, 0.5}), 0x80804000u);
    EXPECT_EQ(premultipliedArgb({0.2, 0.4, 0.6, 1.0}), 0xFF336699u);
    EXPECT_EQ(premultipliedArgb({1.0, 1.0, 1.0, 0.0}), 0x00000000u);
}

struct ChannelStats {
    double mean, variance;
};

ChannelStats redStats(const ArgbTile& tile) {
    double sum = 0, sumSq = 0;
    for (std::uint32_t p : tile.pixels) {
        sum += redByte(p);
        sumSq += double(redByte(p)) * redByte(p);
    }
    const double n = double(tile.pixels.size());
    return {sum / n, sumSq / n - (sum / n) * (sum / n)};
}

TEST(VeilGrain, NoIntensityIsTheFlatTintAndGrainGrowsWithIntensityWithoutShiftingIt) {
    const GrainTile grain = makeGrainTile();
    const Rgba tints[] = {kDarkTint, kLightTint, {0.45, 0.5, 0.55, 0.8}};
    for (const Rgba& tint : tints) {
        const std::uint32_t flat = premultipliedArgb(tint);
        double previous = -1.0;
        for (double intensity : {0.0, 0.25, 0.5, 0.75, 1.0}) {
            const ArgbTile tile = makeVeilTile(grain, tint, intensity);
            ASSERT_EQ(tile.pixels.size(), grain.luminance.size());
            if (intensity == 0.0) {
                for (std::uint32_t p : tile.pixels) ASSERT_EQ(p, flat);
            }
            const ChannelStats stats = redStats(tile);
            EXPECT_GT(stats.variance, previous) << "tint red " << tint.red << " at " << intensity;
            previous = stats.variance;
            // Overlay is linear in the source on each side of mid-grey, so
            // grain around mid-grey keeps the veil's average colour.
            EXPECT_NEAR(stats.mean, redByte(flat), 0.75) << tint.red << " at " << intensity;
            for (std::uint32_t p : tile.pixels) ASSERT_EQ(alphaByte(p), alphaByte(flat));
        }
    }
}

TEST(VeilGrain, IntensityIsClampedAndScalesAroundMidGrey) {
    EXPECT_DOUBLE_EQ(grainSource(255, 1.0), 1.0);
    EXPECT_DOUBLE_EQ(grainSource(0, 1.0), 0.0);
    EXPECT_DOUBLE_EQ(grainSource(255, 0.5), 0.75);
    EXPECT_DOUBLE_EQ(grainSource(0, 0.0), 0.5);
    EXPECT_DOUBLE_EQ(grainSource(255, 3.0), 1.0);
    EXPECT_DOUBLE_EQ(grainSource(255, -1.0), 0.5);
    EXPECT_DOUBLE_EQ(grainSource(255, std::nan("")), 0.5);
}

}  // namespace
}  // namespace quorvel::overlay
