#pragma once

#include "settings/theme_mode.h"

namespace quorvel::look {

/// The desktop's light or dark colour scheme.
enum class ColorScheme { light, dark };

/// The scheme the veil is drawn in: `automatic` follows the desktop's scheme,
/// `light` and `dark` force theirs whatever the desktop says.
ColorScheme resolveColorScheme(settings::ThemeMode theme, ColorScheme systemScheme);

/// A straight (not premultiplied) colour, every component in [0, 1].
struct Rgba {
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 0;
    bool operator==(const Rgba&) const = default;
};

// The veil's backing is a tint laid over the compositor's blur of what is
// behind the overlay window. These are its values:
//   dark scheme   RGB(20, 20, 24), a near-black with a cool cast, alpha 0.55;
//   light scheme  RGB(236, 236, 240), an off-white with a cool cast, alpha 0.55.
// The grain varies how densely the tint covers, so its swing over a desktop
// grows with the desktop's distance from the tint; both tints sit about 20
// levels from their extreme, as far from mid-grey, so that the grain has the
// same visible swing in either scheme there.
// Without a compositor that blurs, the content behind shows through sharp and
// competes with the focused window, so the tint gets alpha 0.8 instead.
// "Slight transparency" multiplies the alpha by 0.75 (0.55 -> 0.4125 with blur,
// 0.8 -> 0.6 without), letting visibly more of the desktop through.
inline constexpr Rgba kDarkTint{20.0 / 255.0, 20.0 / 255.0, 24.0 / 255.0, 0.55};
inline constexpr Rgba kLightTint{236.0 / 255.0, 236.0 / 255.0, 240.0 / 255.0, 0.55};
inline constexpr double kUnblurredTintAlpha = 0.8;
inline constexpr double kSlightTransparencyFactor = 0.75;

/// The backing tint for a resolved scheme. `blurAvailable` is false when the
/// compositor cannot blur behind the overlay window.
Rgba veilTint(ColorScheme scheme, bool slightTransparency, bool blurAvailable);

}  // namespace quorvel::look
