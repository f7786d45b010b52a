#pragma once

#include "core/signal.h"
#include "settings_window/more_view.h"

#include <QWidget>
#include <memory>

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace quorvel::qt {

/// The More tab: renders `MoreView` and forwards the user's actions.
class SettingsMoreTab : public QWidget {
public:
    SettingsMoreTab(settings_window::SettingsWindowServices& services, QWidget* parent);
    ~SettingsMoreTab() override;

    settings_window::MoreView& view() { return *view_; }
    /// Shows the reset confirmation; "Reset" runs the reset.
    void askToReset();

private:
    QWidget* makeAbout();
    void refresh();

    std::unique_ptr<settings_window::MoreView> view_;
    core::Connection connection_;
    QLabel* lastCheck_ = nullptr;
    QPushButton* checkButton_ = nullptr;
    QProgressBar* checking_ = nullptr;
    QCheckBox* launchAtLogin_ = nullptr;
};

}  // namespace quorvel::qt
