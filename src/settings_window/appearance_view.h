#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/signal.h"
#include "settings_window/settings_window_services.h"

namespace quorvel::settings_window {

/// A slider that stops at evenly spaced values.
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
/// the veil. It shows the settings as they are and changes them; whoever
/// changes them (the tray, a shortcut, a reset), the tab redraws from that.
class AppearanceView {
public:
    static constexpr double toggleDebounceInterval = 0.3;

    struct State {
        bool focusOn = true;
        settings::FocusMode focusMode = settings::FocusMode::deep;
        double grain = 0.5;  ///< on the slider's sixths
        double fadeDuration = 0.5;
        double opacity = 1.0;
        settings::ThemeMode theme = settings::ThemeMode::automatic;
        bool operator==(const State&) const = default;
    };

    explicit AppearanceView(SettingsWindowServices& services);
    AppearanceView(const AppearanceView&) = delete;
    AppearanceView& operator=(const AppearanceView&) = delete;

    State state() const;
    /// The controls other than the logo react only while focus is on.
    bool controlsEnabled() const { return services_.session.isOn(); }
    std::string fadeLabel() const { return fadeText(services_.settings.fadeDuration.get()); }

    // The user's actions.
    void pressLogo();
    void selectFocusMode(settings::FocusMode mode);
    /// Below full opacity the tint lightens too ("slight transparency").
    void setOpacity(double value);
    void selectTheme(settings::ThemeMode mode);
    void setGrain(double value);
    void setFade(double seconds);

    /// After every change of a setting the tab shows.
    core::Signal<> changed;

private:
    SettingsWindowServices& services_;
    std::optional<double> lastToggle_;
    std::vector<core::Connection> watches_;
};

}  // namespace quorvel::settings_window
