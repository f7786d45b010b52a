#include "settings_window/appearance_view.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "settings/notification_names.h"
#include "settings/settings_keys.h"

namespace quorvel::settings_window {

namespace names = settings::notifications;
namespace keys = settings::keys;

int SliderSteps::positions() const {
    return static_cast<int>(std::lround((maximum - minimum) / step)) + 1;
}

int SliderSteps::positionOf(double value) const {
    const long raw = std::lround((value - minimum) / step);
    return static_cast<int>(std::clamp<long>(raw, 0, positions() - 1));
}

double SliderSteps::valueAt(int position) const {
    const int p = std::clamp(position, 0, positions() - 1);
    return p == positions() - 1 ? maximum : minimum + p * step;
}

double roundToSixths(double value) {
    return std::round(value * 6.0) / 6.0;
}

std::string fadeText(double seconds) {
    if (seconds == 0.0) return "Instant";
    char text[32];
    std::snprintf(text, sizeof text, "%.2fs", seconds);
    return text;
}

AppearanceView::AppearanceView(SettingsWindowServices& services) : services_(services) {
    load();
    observe();
}

bool AppearanceView::storedBool(const char* key) const {
    return services_.settings.defaults().boolForKey(key);
}

double AppearanceView::storedDouble(const char* key) const {
    return services_.settings.defaults().doubleForKey(key);
}

void AppearanceView::load() {
    auto& settings = services_.settings;
    state_.isOverlayEnabled = storedBool(keys::isOverlayEnabled);
    state_.focusMode = settings.focusMode();
    state_.grainIntensity = roundToSixths(storedDouble(keys::grainIntensity));
    state_.useSlightTransparency = storedBool(keys::useSlightTransparency);
    state_.transitionDuration = storedDouble(keys::transitionDuration);
    state_.opacityValue = storedDouble(keys::opacityValue);
    state_.themeMode = settings.themeMode();
}

void AppearanceView::reloadFromStore() {
    auto& settings = services_.settings;
    state_.focusMode = settings.focusMode();
    state_.grainIntensity = roundToSixths(storedDouble(keys::grainIntensity));
    state_.isOverlayEnabled = storedBool(keys::isOverlayEnabled);
    state_.useSlightTransparency = storedBool(keys::useSlightTransparency);
    state_.transitionDuration = storedDouble(keys::transitionDuration);
    state_.opacityValue = storedDouble(keys::opacityValue);
    state_.themeMode = settings.themeMode();
    changed.emit();
}

void AppearanceView::observe() {
    auto& center = services_.center;
    auto& style = services_.style;
    observations_.emplace_back(center, names::focusModeDidChange, [this, &style](const auto&) {
        state_.focusMode = style.focusMode();
        changed.emit();
    });
    observations_.emplace_back(center, names::settingsDidChange,
                               [this](const auto&) { reloadFromStore(); });
    observations_.emplace_back(center, names::detectionStateDidChange, [this](const auto&) {
        state_.isOverlayEnabled = services_.isDetecting();
        services_.settings.setOverlayEnabled(state_.isOverlayEnabled);
        changed.emit();
    });
    observations_.emplace_back(center, names::transitionDurationDidChange,
                               [this, &style](const auto&) {
                                   state_.transitionDuration = style.transitionDuration();
                                   changed.emit();
                               });
    observations_.emplace_back(center, names::opacityValueDidChange, [this, &style](const auto&) {
        state_.opacityValue = style.opacityValue();
        changed.emit();
    });
}

void AppearanceView::pressLogo() {
    const double now = services_.scheduler.now();
    // A hair of slack, so that a press exactly 0.3 s later counts despite rounding.
    constexpr double kSlack = 1e-9;
    if (state_.lastToggleTime && now - *state_.lastToggleTime < toggleDebounceInterval - kSlack) {
        return;
    }
    state_.lastToggleTime = now;
    state_.isOverlayEnabled = !state_.isOverlayEnabled;
    const bool enabled = state_.isOverlayEnabled;
    services_.settings.setOverlayEnabled(enabled);
    if (enabled != services_.isDetecting()) {
        auto setDetecting = services_.hooks.setDetecting;
        services_.scheduler.async([setDetecting, enabled] {
            if (setDetecting) setDetecting(enabled);
        });
    }
    changed.emit();
}

void AppearanceView::selectFocusMode(settings::FocusMode mode) {
    if (!state_.isOverlayEnabled) return;
    state_.focusMode = mode;
    services_.settings.setFocusMode(mode);
    services_.style.setFocusMode(mode);
    if (services_.hooks.updateModeItems) services_.hooks.updateModeItems(mode);
    changed.emit();
}

void AppearanceView::setOpacity(double value) {
    if (!state_.isOverlayEnabled) return;
    state_.opacityValue = value;
    services_.settings.setOpacityValue(value);
    services_.style.setOpacityValue(value);
    // Transparency has no control of its own: it follows the opacity.
    const bool slight = value < 1.0;
    state_.useSlightTransparency = slight;
    services_.settings.setUseSlightTransparency(slight);
    services_.style.setUseSlightTransparency(slight);
    changed.emit();
}

void AppearanceView::selectTheme(settings::ThemeMode mode) {
    if (!state_.isOverlayEnabled) return;
    state_.themeMode = mode;
    services_.settings.setThemeMode(mode);
    services_.style.setThemeMode(mode);
    changed.emit();
}

void AppearanceView::setGrain(double value) {
    if (!state_.isOverlayEnabled) return;
    state_.grainIntensity = value;
    services_.settings.setGrainIntensity(value);
    services_.style.setGrainIntensity(value);
    changed.emit();
}

void AppearanceView::setFade(double seconds) {
    if (!state_.isOverlayEnabled) return;
    state_.transitionDuration = seconds;
    services_.settings.setTransitionDuration(seconds);
    services_.style.setTransitionDuration(seconds);
    changed.emit();
}

}  // namespace quorvel::settings_window
