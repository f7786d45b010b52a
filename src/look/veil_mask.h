#pragma once

#include <cstdint>
#include <vector>

#include "settings/focus_mode.h"

namespace quorvel::look {

/// Where the veil reaches full strength, as a fraction of the monitor's height
/// from the top: mid-height in ambient mode, the top edge in deep mode.
inline constexpr double kAmbientStopLocation = 0.5;
inline constexpr double kDeepStopLocation = 0.0;

double veilStopLocation(settings::FocusMode mode);

/// The veil's mask: a vertical gradient, transparent at the top edge (0),
/// `opacity` at `stopLocation`, and `opacity` down to the bottom edge (1).
/// Returns the alpha factor at height fraction `y` (0 top, 1 bottom).
///
/// Every input is clamped to [0, 1] (NaN counts as 0), so the result never
/// exceeds the clamped opacity. Above the stop it rises linearly from 0; at and
/// below the stop it is `opacity`. When the stop sits on the top edge the first
/// two stops coincide; as in a hard colour stop the later one wins from its
/// position on, so even the row at y = 0 gets `opacity` and deep mode is
/// uniform from edge to edge.
double veilMaskAlpha(double y, double stopLocation, double opacity);

/// Height fraction of the centre of `row` in a monitor `height` rows tall:
/// where a renderer samples a gradient for that row.
double rowCentre(int row, int height);

/// The mask factor of every row of a monitor `height` rows tall, each sampled
/// at the row's centre. Empty for a height of 0 or less.
std::vector<double> veilMaskColumn(int height, double stopLocation, double opacity);

/// A [0, 1] value as an 8-bit channel, rounded to nearest (NaN counts as 0).
std::uint8_t toChannel8(double value);

/// `veilMaskColumn` quantised to 8 bits: the A8 mask picture, one pixel wide,
/// that the renderer repeats across the monitor.
std::vector<std::uint8_t> veilMaskColumn8(int height, double stopLocation, double opacity);

}  // namespace quorvel::look
