#include "look/veil_appearance.h"

#include <algorithm>

#include "look/veil_mask.h"

namespace quorvel::look {

VeilAppearance makeVeilAppearance(settings::FocusMode focusMode, double grainIntensity,
                                  bool useSlightTransparency, double opacityValue,
                                  settings::ThemeMode themeMode, ColorScheme systemScheme,
                                  bool blurAvailable) {
    VeilAppearance appearance;
    appearance.focusMode = focusMode;
    appearance.grainIntensity = static_cast<float>(grainIntensity);
    appearance.useSlightTransparency = useSlightTransparency;
    appearance.opacityValue = opacityValue;
    appearance.themeMode = themeMode;
    appearance.colorScheme = resolveColorScheme(themeMode, systemScheme);
    appearance.stopLocation = veilStopLocation(focusMode);
    appearance.blurAvailable = blurAvailable;
    return appearance;
}

Rgba veilTint(const VeilAppearance& appearance) {
    return veilTint(appearance.colorScheme, appearance.useSlightTransparency,
                    appearance.blurAvailable);
}

std::vector<double> veilRowAlphas(int height, const VeilAppearance& appearance) {
    std::vector<double> rows =
        veilMaskColumn(height, appearance.stopLocation, appearance.opacityValue);
    const double tintAlpha = veilTint(appearance).alpha;
    std::transform(rows.begin(), rows.end(), rows.begin(),
                   [tintAlpha](double mask) { return tintAlpha * mask; });
    return rows;
}

std::vector<std::uint8_t> veilMaskColumn8(int height, const VeilAppearance& appearance) {
    return veilMaskColumn8(height, appearance.stopLocation, appearance.opacityValue);
}

ArgbTile makeVeilTile(const GrainTile& grain, const VeilAppearance& appearance) {
    return makeVeilTile(grain, veilTint(appearance), appearance.grainIntensity);
}

}  // namespace quorvel::look
