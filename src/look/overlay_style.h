#pragma once

#include "core/notification_center.h"
#include "core/signal.h"
#include "settings/focus_mode.h"
#include "settings/settings_manager.h"
#include "settings/theme_mode.h"

namespace quorvel::look {

/// The six appearance settings the veil is drawn with. Loaded once from the
/// settings at creation (silently) and reloaded on every "SettingsDidChange";
/// every assignment tells the views and posts the property's notification.
class OverlayStyle {
public:
    OverlayStyle(settings::SettingsManager& settings, core::NotificationCenter& center);
    ~OverlayStyle() = default;
    OverlayStyle(const OverlayStyle&) = delete;
    OverlayStyle& operator=(const OverlayStyle&) = delete;

    settings::FocusMode focusMode() const { return focusMode_; }
    float grainIntensity() const { return grainIntensity_; }
    bool useSlightTransparency() const { return useSlightTransparency_; }
    double transitionDuration() const { return transitionDuration_; }
    double opacityValue() const { return opacityValue_; }
    settings::ThemeMode themeMode() const { return themeMode_; }

    // Each notifies `objectWillChange`, stores, then posts, also for an unchanged value.
    void setFocusMode(settings::FocusMode mode);
    /// Held as the nearest 32-bit float.
    void setGrainIntensity(double intensity);
    void setUseSlightTransparency(bool slight);
    void setTransitionDuration(double seconds);
    void setOpacityValue(double opacity);
    void setThemeMode(settings::ThemeMode mode);

    /// Fires once per assignment, just before the new value is stored; views
    /// schedule a redraw from it.
    core::Signal<>& objectWillChange() { return objectWillChange_; }

    /// Reloads all six from the settings through the setters, in fixed order.
    void handleSettingsChange();

private:
    void load();

    settings::FocusMode focusMode_ = settings::FocusMode::ambient;
    float grainIntensity_ = 0.5f;
    bool useSlightTransparency_ = false;
    double transitionDuration_ = 0.5;
    double opacityValue_ = 1.0;
    settings::ThemeMode themeMode_ = settings::ThemeMode::automatic;

    settings::SettingsManager& settings_;
    core::NotificationCenter& center_;
    core::Signal<> objectWillChange_;
    core::Observation settingsObservation_;
};

}  // namespace quorvel::look
