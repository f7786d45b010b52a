#include "look/veil_grain.h"

#include <gtest/gtest.h>

#include <cmath>

namespace quorvel::look {
namespace {

// What the desktop tests cannot show: the compositors lay the same tile over
// whatever their blur gives, and over any desktop, not only a grey one, the
// grain must leave the veil's mean colour where the flat tint puts it. Its
// strength on flat grey is the figure the README gives.
TEST(VeilGrain, OverAnyDesktopTheGrainKeepsTheFlatTintsMeanAndIsFlatAtZero) {
    const GrainTile grain = makeGrainTile();
    for (const Rgba& tint : {kDarkTint, kLightTint, Rgba{0.45, 0.5, 0.55, 0.8}}) {
        const std::uint32_t flat = premultipliedArgb(tint);
        for (double intensity : {0.0, 0.5, 1.0}) {
            const ArgbTile tile = makeVeilTile(grain, tint, intensity);
            ASSERT_EQ(tile.pixels.size(), grain.luminance.size());
            if (intensity == 0.0) {
                for (std::uint32_t p : tile.pixels) ASSERT_EQ(p, flat);
            }
            for (double desktop : {0.0, 128.0, 255.0}) {
                // A pixel laid over the desktop: premultiplied, so colour + (1 - alpha) x desktop.
                const auto over = [desktop](std::uint32_t p) {
                    return redByte(p) + (1.0 - alphaByte(p) / 255.0) * desktop;
                };
                double sum = 0, squares = 0;
                for (std::uint32_t p : tile.pixels) sum += over(p);
                const double mean = sum / double(tile.pixels.size());
                EXPECT_NEAR(mean, over(flat), 0.75)
                    << "tint red " << tint.red << " at " << intensity << " over " << desktop;
                if (desktop != 128.0 || intensity == 0.0 || tint.alpha == 0.8) continue;
                // On flat mid-grey, the texture the user sees in either scheme:
                // about 4 grey levels at the default half slider, 9 at the full one.
                for (std::uint32_t p : tile.pixels) squares += (over(p) - mean) * (over(p) - mean);
                EXPECT_NEAR(std::sqrt(squares / double(tile.pixels.size())),
                            intensity == 0.5 ? 4.0 : 9.0, 1.0)
                    << "tint red " << tint.red << " at " << intensity;
            }
        }
    }
}

}  // namespace
}  // namespace quorvel::look
