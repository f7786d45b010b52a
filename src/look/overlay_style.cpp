#include "look/overlay_style.h"

namespace quorvel::look {

namespace names = settings::notifications;
namespace keys = settings::keys;

OverlayStyle::OverlayStyle(settings::SettingsManager& settings, core::NotificationCenter& center)
    : settings_(settings), center_(center) {
    load();
    settingsObservation_ =
        core::Observation(center_, names::settingsDidChange,
                          [this](const core::Notification&) { handleSettingsChange(); });
}

void OverlayStyle::load() {
    const auto& store = settings_.defaults();
    focusMode_ = settings_.focusMode();
    grainIntensity_ = static_cast<float>(store.doubleForKey(keys::grainIntensity));
    useSlightTransparency_ = store.boolForKey(keys::useSlightTransparency);
    transitionDuration_ = store.doubleForKey(keys::transitionDuration);
    opacityValue_ = store.doubleForKey(keys::opacityValue);
    themeMode_ = settings_.themeMode();
}

void OverlayStyle::handleSettingsChange() {
    const auto& store = settings_.defaults();
    setFocusMode(settings_.focusMode());
    setGrainIntensity(store.doubleForKey(keys::grainIntensity));
    setUseSlightTransparency(store.boolForKey(keys::useSlightTransparency));
    setTransitionDuration(store.doubleForKey(keys::transitionDuration));
    setOpacityValue(store.doubleForKey(keys::opacityValue));
    setThemeMode(settings_.themeMode());
}

void OverlayStyle::setFocusMode(settings::FocusMode mode) {
    objectWillChange_.emit();
    focusMode_ = mode;
    center_.post(names::focusModeDidChange);
}

void OverlayStyle::setGrainIntensity(double intensity) {
    objectWillChange_.emit();
    grainIntensity_ = static_cast<float>(intensity);
    center_.post(names::grainIntensityDidChange);
}

void OverlayStyle::setUseSlightTransparency(bool slight) {
    objectWillChange_.emit();
    useSlightTransparency_ = slight;
    center_.post(names::transparencyDidChange);
}

void OverlayStyle::setTransitionDuration(double seconds) {
    objectWillChange_.emit();
    transitionDuration_ = seconds;
    center_.post(names::transitionDurationDidChange);
}

void OverlayStyle::setOpacityValue(double opacity) {
    objectWillChange_.emit();
    opacityValue_ = opacity;
    center_.post(names::opacityValueDidChange);
}

void OverlayStyle::setThemeMode(settings::ThemeMode mode) {
    objectWillChange_.emit();
    themeMode_ = mode;
    center_.post(names::themeModeDidChange);
}

}  // namespace quorvel::look
