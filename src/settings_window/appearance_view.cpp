#include "settings_window/appearance_view.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace quorvel::settings_window {

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
    auto& settings = services.settings;
    for (core::Signal<>* signal :
         {&services.session.changed(), &settings.grain.changed(), &settings.fadeDuration.changed(),
          &settings.opacity.changed(), &settings.theme.changed()}) {
        watches_.push_back(signal->connect([this] { changed.emit(); }));
    }
}

AppearanceView::State AppearanceView::state() const {
    const auto& settings = services_.settings;
    return State{
        services_.session.isOn(),    services_.session.mode(), roundToSixths(settings.grain.get()),
        settings.fadeDuration.get(), settings.opacity.get(),   settings.theme.get()};
}

void AppearanceView::pressLogo() {
    const double now = services_.scheduler.now();
    // A hair of slack, so that a press exactly 0.3 s later counts despite rounding.
    constexpr double kSlack = 1e-9;
    if (lastToggle_ && now - *lastToggle_ < toggleDebounceInterval - kSlack) return;
    lastToggle_ = now;
    services_.session.toggle();
}

void AppearanceView::selectFocusMode(settings::FocusMode mode) {
    if (controlsEnabled()) services_.session.setMode(mode);
}

void AppearanceView::setOpacity(double value) {
    if (!controlsEnabled()) return;
    // Transparency has no control of its own: it follows the opacity.
    services_.settings.slightTransparency.set(value < 1.0);
    services_.settings.opacity.set(value);
}

void AppearanceView::selectTheme(settings::ThemeMode mode) {
    if (controlsEnabled()) services_.settings.theme.set(mode);
}

void AppearanceView::setGrain(double value) {
    if (controlsEnabled()) services_.settings.grain.set(value);
}

void AppearanceView::setFade(double seconds) {
    if (controlsEnabled()) services_.settings.fadeDuration.set(seconds);
}

}  // namespace quorvel::settings_window
