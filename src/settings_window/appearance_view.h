#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/notification_center.h"
#include "core/signal.h"
#include "settings/focus_mode.h"
#include "settings/theme_mode.h"
#include "settings_window/settings_window_services.h"

namespace quorvel::settings_window {

/// A slider that stops at seven evenly spaced values.
struct SliderSteps {
    double minimum;
    double maximum;
    double step;

    int positions() const;
    /// The nearest stop of `value`, clamped to the range.
    int positionOf(double value) const;
    double valueAt(int position) const;
};

inline constexpr SliderSteps opacitySlider{0.75, 1.0, 1.0 / 24.0};
inline constexpr SliderSteps grainSlider{0.0, 1.0, 1.0 / 6.0};
inline constexpr SliderSteps fadeSlider{0.0, 1.5, 0.25};

/// `value` snapped to the nearest sixth (halves away from zero).
double roundToSixths(double value);
/// "Instant" for exactly 0, otherwise the seconds as "0.75s".
std::string fadeText(double seconds);

/// The General tab: the focus switch, the focus mode and the four looks of
/// the veil. Keeps its own copy of the values, refreshed when they change
/// elsewhere (tray item, shortcuts, reset).
class AppearanceView {
public:
    static constexpr double toggleDebounceInterval = 0.3;

    struct State {
        bool isOverlayEnabled = true;
        settings::FocusMode focusMode = settings::FocusMode::ambient;
        double grainIntensity = 0.5;
        bool useSlightTransparency = true;
        double transitionDuration = 0.5;
        std::optional<double> lastToggleTime;
        double opacityValue = 1.0;
        settings::ThemeMode themeMode = settings::ThemeMode::automatic;
    };

    explicit AppearanceView(SettingsWindowServices& services);
    AppearanceView(const AppearanceView&) = delete;
    AppearanceView& operator=(const AppearanceView&) = delete;

    const State& state() const { return state_; }
    /// The controls other than the logo react only while focus is on.
    bool controlsEnabled() const { return state_.isOverlayEnabled; }
    std::string fadeLabel() const { return fadeText(state_.transitionDuration); }

    // The user's actions.
    void pressLogo();
    void selectFocusMode(settings::FocusMode mode);
    void setOpacity(double value);
    void selectTheme(settings::ThemeMode mode);
    void setGrain(double value);
    void setFade(double seconds);

    /// Fires after every change of the state.
    core::Signal<> changed;

private:
    void load();
    void observe();
    void reloadFromStore();
    bool storedBool(const char* key) const;
    double storedDouble(const char* key) const;

    SettingsWindowServices& services_;
    State state_;
    std::vector<core::Observation> observations_;
};

}  // namespace quorvel::settings_window
