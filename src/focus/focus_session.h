#pragma once

#include "core/signal.h"
#include "settings/settings.h"

namespace quorvel::focus {

/// Whether focus is on, and its mode: the one place that changes them. The
/// values live in the settings, so they survive a restart; the tray icon, the
/// shortcuts, the settings window and scripts all go through here, and
/// everything that shows or acts on them follows `changed`.
class FocusSession {
public:
    explicit FocusSession(settings::Settings& settings);
    FocusSession(const FocusSession&) = delete;
    FocusSession& operator=(const FocusSession&) = delete;

    bool isOn() const { return settings_.focusOn.get(); }
    settings::FocusMode mode() const { return settings_.mode.get(); }

    void setOn(bool on) { settings_.focusOn.set(on); }
    void toggle() { setOn(!isOn()); }
    void setMode(settings::FocusMode mode) { settings_.mode.set(mode); }
    /// Ambient to deep and back; nothing while focus is off, where no veil
    /// would show the change.
    void switchMode();

    /// After every change of either.
    core::Signal<>& changed() { return changed_; }

private:
    settings::Settings& settings_;
    core::Signal<> changed_;
    core::Connection onOff_;
    core::Connection modeChange_;
};

}  // namespace quorvel::focus
