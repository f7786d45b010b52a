#include "look/veil_mask.h"

#include <algorithm>
#include <cmath>

namespace quorvel::look {
namespace {

double clampUnit(double v) {
    if (std::isnan(v)) return 0.0;
    return std::clamp(v, 0.0, 1.0);
}

}  // namespace

double veilStopLocation(settings::FocusMode mode) {
    return mode == settings::FocusMode::deep ? kDeepStopLocation : kAmbientStopLocation;
}

double veilMaskAlpha(double y, double stopLocation, double opacity) {
    y = clampUnit(y);
    stopLocation = clampUnit(stopLocation);
    opacity = clampUnit(opacity);
    if (y >= stopLocation) return opacity;
    // Here 0 <= y < stopLocation, so the division is safe and the ratio is
    // below 1: the ramp stays under `opacity`.
    return opacity * (y / stopLocation);
}

double rowCentre(int row, int height) {
    if (height <= 0) return 0.0;
    return (static_cast<double>(row) + 0.5) / static_cast<double>(height);
}

std::vector<double> veilMaskColumn(int height, double stopLocation, double opacity) {
    std::vector<double> column(static_cast<std::size_t>(std::max(height, 0)));
    for (int row = 0; row < height; ++row) {
        column[static_cast<std::size_t>(row)] =
            veilMaskAlpha(rowCentre(row, height), stopLocation, opacity);
    }
    return column;
}

std::uint8_t toChannel8(double value) {
    return static_cast<std::uint8_t>(std::lround(clampUnit(value) * 255.0));
}

std::vector<std::uint8_t> veilMaskColumn8(int height, double stopLocation, double opacity) {
    std::vector<std::uint8_t> column(static_cast<std::size_t>(std::max(height, 0)));
    for (int row = 0; row < height; ++row) {
        column[static_cast<std::size_t>(row)] =
            toChannel8(veilMaskAlpha(rowCentre(row, height), stopLocation, opacity));
    }
    return column;
}

}  // namespace quorvel::look
