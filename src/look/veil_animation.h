#pragma once

#include "look/veil_appearance.h"
#include "settings/focus_mode.h"

namespace quorvel::look {

/// One number gliding from where it stands to a target along the ease-in-out
/// curve. Times are seconds on the caller's clock (the scheduler's `now`).
class VeilGlide {
public:
    explicit VeilGlide(double value = 0.0) : from_(value), to_(value) {}

    /// Stops any glide and shows `value` from now on.
    void jumpTo(double value);
    /// Starts a glide to `target` from the value shown at `now`, so an
    /// interrupted glide carries on from where it had got to without a jump. A
    /// duration of 0 or less (or NaN) jumps at once.
    void glideTo(double target, double now, double duration);

    double value(double now) const;
    double target() const { return to_; }
    /// True until the glide has reached its target; false when from and to are
    /// the same value, since nothing then changes on screen.
    bool isRunning(double now) const;
    /// When the current glide ends (its start time if it jumped).
    double endTime() const { return start_ + duration_; }

private:
    double from_;
    double to_;
    double start_ = 0.0;
    double duration_ = 0.0;
};

/// The animated state of one veil. A change of focus mode glides the mask's
/// stop location between mid-height and the top edge over the transition
/// duration; an opacity change made in the same update glides with it, as both
/// shape the mask. Every other change (grain, slight transparency, theme,
/// scheme, blur, or opacity on its own) applies at once. A mode change during a
/// glide starts a new glide from the look shown at that moment.
class VeilAnimation {
public:
    /// Starts settled on `initial` (its stop location is taken from its mode).
    explicit VeilAnimation(const VeilAppearance& initial);

    /// Applies a new set of values at `now`. `duration` is the transition
    /// duration read when the update happens; only a mode change uses it.
    void update(const VeilAppearance& target, double now, double duration);
    /// `update` with only the focus mode changed.
    void setFocusMode(settings::FocusMode mode, double now, double duration);

    /// The mask's stop location shown at `now`.
    double stopLocation(double now) const { return stop_.value(now); }
    /// The mask's opacity shown at `now`.
    double opacity(double now) const { return opacity_.value(now); }
    /// What to draw at `now`: the latest values with the gliding ones in place.
    VeilAppearance appearanceAt(double now) const;
    /// True while anything still glides: draw frames until it turns false.
    bool isAnimating(double now) const;
    /// When the last running glide ends.
    double endTime() const;
    /// The latest values applied, with the settled stop location of their mode.
    const VeilAppearance& target() const { return target_; }

private:
    VeilAppearance target_;
    VeilGlide stop_;
    VeilGlide opacity_;
};

}  // namespace quorvel::look
