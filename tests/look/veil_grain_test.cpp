#include "look/veil_grain.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace quorvel::look {
namespace {

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

}  // namespace
}  // namespace quorvel::look
