#include "look/veil_theme.h"

namespace quorvel::look {

ColorScheme resolveColorScheme(settings::ThemeMode theme, ColorScheme systemScheme) {
    switch (theme) {
        case settings::ThemeMode::light:
            return ColorScheme::light;
        case settings::ThemeMode::dark:
            return ColorScheme::dark;
        case settings::ThemeMode::automatic:
            break;
    }
    return systemScheme;
}

Rgba veilTint(ColorScheme scheme, bool slightTransparency, bool blurAvailable) {
    Rgba tint = scheme == ColorScheme::dark ? kDarkTint : kLightTint;
    if (!blurAvailable) tint.alpha = kUnblurredTintAlpha;
    if (slightTransparency) tint.alpha *= kSlightTransparencyFactor;
    return tint;
}

}  // namespace quorvel::look
