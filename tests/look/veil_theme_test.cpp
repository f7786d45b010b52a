#include "look/veil_theme.h"

#include <gtest/gtest.h>

namespace quorvel::look {
namespace {

using settings::ThemeMode;

double luminance(const Rgba& c) {
    return 0.2126 * c.red + 0.7152 * c.green + 0.0722 * c.blue;
}

TEST(VeilTheme, TheThemeFollowsOrForcesTheDesktopsSchemeWhoseTintIsDarkOrLightAtOneAlpha) {
    const std::tuple<ThemeMode, ColorScheme, ColorScheme> rules[] = {
        {ThemeMode::automatic, ColorScheme::dark, ColorScheme::dark},
        {ThemeMode::automatic, ColorScheme::light, ColorScheme::light},
        {ThemeMode::light, ColorScheme::dark, ColorScheme::light},
        {ThemeMode::dark, ColorScheme::light, ColorScheme::dark},
    };
    for (const auto& [theme, system, expected] : rules) {
        EXPECT_EQ(resolveColorScheme(theme, system), expected) << int(theme) << "/" << int(system);
    }
    for (bool slight : {false, true}) {
        for (bool blur : {false, true}) {
            const Rgba dark = veilTint(ColorScheme::dark, slight, blur);
            const Rgba light = veilTint(ColorScheme::light, slight, blur);
            EXPECT_LT(luminance(dark), 0.15);
            EXPECT_GT(luminance(light), 0.85);
            EXPECT_EQ(dark.alpha, light.alpha);
        }
    }
}

}  // namespace
}  // namespace quorvel::look
