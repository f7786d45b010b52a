#include "look/veil_animation.h"

#include <algorithm>
#include <cmath>

#include "look/veil_easing.h"
#include "look/veil_mask.h"

namespace quorvel::look {

void VeilGlide::jumpTo(double value) {
    from_ = value;
    to_ = value;
    duration_ = 0.0;
}

void VeilGlide::glideTo(double target, double now, double duration) {
    if (!(duration > 0.0) || std::isnan(now)) {
        jumpTo(target);
        start_ = std::isnan(now) ? start_ : now;
        return;
    }
    from_ = value(now);
    to_ = target;
    start_ = now;
    duration_ = duration;
}

double VeilGlide::value(double now) const {
    if (duration_ <= 0.0 || from_ == to_) return to_;
    const double progress = std::clamp((now - start_) / duration_, 0.0, 1.0);
    return from_ + (to_ - from_) * easeInOut(progress);
}

bool VeilGlide::isRunning(double now) const {
    return duration_ > 0.0 && from_ != to_ && now < start_ + duration_;
}

VeilAnimation::VeilAnimation(const VeilAppearance& initial)
    : target_(initial), stop_(veilStopLocation(initial.focusMode)), opacity_(initial.opacityValue) {
    target_.stopLocation = veilStopLocation(initial.focusMode);
}

void VeilAnimation::update(const VeilAppearance& target, double now, double duration) {
    VeilAppearance next = target;
    next.stopLocation = veilStopLocation(next.focusMode);
    if (next.focusMode != target_.focusMode) {
        stop_.glideTo(next.stopLocation, now, duration);
        opacity_.glideTo(next.opacityValue, now, duration);
    } else if (next.opacityValue != target_.opacityValue) {
        opacity_.jumpTo(next.opacityValue);
    }
    target_ = next;
}

void VeilAnimation::setFocusMode(settings::FocusMode mode, double now, double duration) {
    VeilAppearance next = target_;
    next.focusMode = mode;
    update(next, now, duration);
}

VeilAppearance VeilAnimation::appearanceAt(double now) const {
    VeilAppearance shown = target_;
    shown.stopLocation = stop_.value(now);
    shown.opacityValue = opacity_.value(now);
    return shown;
}

bool VeilAnimation::isAnimating(double now) const {
    return stop_.isRunning(now) || opacity_.isRunning(now);
}

double VeilAnimation::endTime() const {
    return std::max(stop_.endTime(), opacity_.endTime());
}

}  // namespace quorvel::look
