#pragma once

#include "platform/settings_window_host.h"
#include "settings_window/settings_state.h"
#include "settings_window/settings_window_services.h"

#include <QPointer>

namespace quorvel::qt {

class SettingsWindowWidget;

/// Makes the Qt settings windows.
class QtSettingsWindowHost final : public platform::SettingsWindowHost {
public:
    QtSettingsWindowHost(settings_window::SettingsState& state,
                         settings_window::SettingsWindowServices& services)
        : state_(state), services_(services) {}

    std::unique_ptr<platform::SettingsWindow> createWindow(
        platform::SettingsWindowEvents& events) override;
    /// The window manager focuses the window below ours when it closes.
    void restorePreviousFocus() override {}

    /// The newest window while it exists (tests, screenshots).
    SettingsWindowWidget* widget() const { return widget_; }

private:
    settings_window::SettingsState& state_;
    settings_window::SettingsWindowServices& services_;
    QPointer<SettingsWindowWidget> widget_;
};

}  // namespace quorvel::qt
