#pragma once

#include "core/signal.h"
#include "ports/app_menu.h"
#include "ports/settings_window_host.h"
#include "settings_window/settings_state.h"
#include "settings_window/settings_window_services.h"

#include <QAbstractButton>
#include <QWidget>
#include <array>
#include <functional>
#include <string>

class QVBoxLayout;

namespace quorvel::qt {

/// One button of the tab bar: the tab's icon above its title.
class SettingsTabButton : public QAbstractButton {
    Q_OBJECT
public:
    SettingsTabButton(settings_window::SettingsTab tab, QWidget* parent);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    settings_window::SettingsTab tab_;
};

/// The settings window: the tab bar over the selected tab's content. Each
/// tab's content is made when the tab is shown and dropped when it is left.
class SettingsWindowWidget : public QWidget {
public:
    static constexpr int kWidth = 460;
    static constexpr int kHeight = 540;

    SettingsWindowWidget(settings_window::SettingsState& state,
                         settings_window::SettingsWindowServices& services,
                         ports::SettingsWindowEvents& events);
    ~SettingsWindowWidget() override;

    /// Puts the application's main menu in the window's own menu bar; the
    /// window grows by the bar's height.
    void addMenus(const std::vector<ports::AppMenuItem>& menus,
                  std::function<bool(const std::string&)> perform);
    /// Stops all reports to the controller and hides the window; the window
    /// is deleted later.
    void detach();
    /// The tab shown now (for tests and screenshots).
    QWidget* content() const { return content_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showTab(settings_window::SettingsTab tab);

    settings_window::SettingsState& state_;
    settings_window::SettingsWindowServices& services_;
    ports::SettingsWindowEvents& events_;
    core::Connection tabConnection_;
    std::array<SettingsTabButton*, 4> buttons_{};
    QVBoxLayout* column_ = nullptr;
    QVBoxLayout* contentArea_ = nullptr;
    QWidget* content_ = nullptr;
    bool closing_ = false;
};

}  // namespace quorvel::qt
