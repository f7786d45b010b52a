#pragma once

#include <cstdint>
#include <vector>

#include "look/veil_grain.h"
#include "look/veil_theme.h"
#include "settings/focus_mode.h"
#include "settings/theme_mode.h"

namespace quorvel::look {

/// Everything the veil's look depends on at one moment: the user's appearance
/// settings, the scheme they resolve to on this desktop, and the mask's stop
/// location (which glides between the modes, so it can sit between 0 and 0.5).
struct VeilAppearance {
    settings::FocusMode focusMode = settings::FocusMode::ambient;
    float grainIntensity = 0.5f;
    bool useSlightTransparency = false;
    double opacityValue = 1.0;
    settings::ThemeMode themeMode = settings::ThemeMode::automatic;
    ColorScheme colorScheme = ColorScheme::light;  ///< resolved from themeMode
    double stopLocation = 0.5;                     ///< where the mask reaches full strength
    bool blurAvailable = true;                     ///< the compositor blurs behind the veil
    bool operator==(const VeilAppearance&) const = default;
};

/// The settled appearance for these settings on a desktop whose scheme is
/// `systemScheme`: the scheme resolved by the theme rule and the stop location
/// of `focusMode`.
VeilAppearance makeVeilAppearance(settings::FocusMode focusMode, double grainIntensity,
                                  bool useSlightTransparency, double opacityValue,
                                  settings::ThemeMode themeMode, ColorScheme systemScheme,
                                  bool blurAvailable);

/// The backing tint of this appearance.
Rgba veilTint(const VeilAppearance& appearance);

/// The final alpha of every row of a monitor `height` rows tall, sampled at the
/// row's centre: the tint's alpha times the mask. This is how much of each row
/// the veil covers; the grain moves single pixels around it but not the row's
/// mean. Empty for a height of 0 or less.
std::vector<double> veilRowAlphas(int height, const VeilAppearance& appearance);

/// The mask column for this appearance, 8 bits per row (see veilMaskColumn8).
std::vector<std::uint8_t> veilMaskColumn8(int height, const VeilAppearance& appearance);

/// The tile of tint and grain for this appearance (see makeVeilTile).
ArgbTile makeVeilTile(const GrainTile& grain, const VeilAppearance& appearance);

}  // namespace quorvel::look
