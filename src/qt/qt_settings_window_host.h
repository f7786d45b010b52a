#pragma once

#include "ports/settings_window_host.h"
#include "qt/qt_menu_bar.h"
#include "settings_window/settings_state.h"
#include "settings_window/settings_window_services.h"

#include <QPointer>

namespace quorvel::qt {

class SettingsWindowWidget;

/// Makes the Qt settings windows.
class QtSettingsWindowHost final : public ports::SettingsWindowHost {
public:
    QtSettingsWindowHost(settings_window::SettingsState& state,
                         settings_window::SettingsWindowServices& services)
        : state_(state), services_(services) {}

    std::unique_ptr<ports::SettingsWindow> createWindow(
        ports::SettingsWindowEvents& events) override;
    void restorePreviousFocus() override;

    /// Windows made from now on show `menu` in their own menu bar.
    void setMenus(std::vector<ports::AppMenuItem> menus, QtMenuBar::Perform perform) {
        menus_ = std::move(menus);
        perform_ = std::move(perform);
    }
    /// Gives the focus back to the window that had it before ours opened;
    /// `main` supplies the desktop's way (nothing happens without one).
    void setFocusReturn(std::function<void()> remember, std::function<void()> restore) {
        rememberFocus_ = std::move(remember);
        restoreFocus_ = std::move(restore);
    }

    /// The newest window while it exists (tests, screenshots).
    SettingsWindowWidget* widget() const { return widget_; }

private:
    settings_window::SettingsState& state_;
    settings_window::SettingsWindowServices& services_;
    QPointer<SettingsWindowWidget> widget_;
    std::vector<ports::AppMenuItem> menus_;
    QtMenuBar::Perform perform_;
    std::function<void()> rememberFocus_;
    std::function<void()> restoreFocus_;
};

}  // namespace quorvel::qt
