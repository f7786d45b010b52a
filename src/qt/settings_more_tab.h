#pragma once

#include "core/signal.h"
#include "settings_window/more_view.h"

#include <QPixmap>
#include <QWidget>
#include <memory>

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QVariantAnimation;

namespace quorvel::qt {

/// The More tab: renders `MoreView` and forwards the user's actions.
class SettingsMoreTab : public QWidget {
public:
    SettingsMoreTab(settings_window::SettingsWindowServices& services, QWidget* parent);
    ~SettingsMoreTab() override;

    settings_window::MoreView& view() { return *view_; }
    /// Shows the reset confirmation; "Reset" runs the reset.
    void askToReset();
    /// Degrees the reset icon is drawn at now; turns toward the view's rotation.
    double shownResetRotation() const { return shownRotation_; }

private:
    QWidget* makeAbout();
    void refresh();
    void showResetIconAt(double degrees);

    std::unique_ptr<settings_window::MoreView> view_;
    core::Connection connection_;
    QLabel* lastCheck_ = nullptr;
    QPushButton* checkButton_ = nullptr;
    QProgressBar* checking_ = nullptr;
    QCheckBox* launchAtLogin_ = nullptr;
    QCheckBox* automaticChecks_ = nullptr;
    QPushButton* reset_ = nullptr;
    QPixmap resetPixmap_;
    QVariantAnimation* turn_ = nullptr;
    double turnTarget_ = 0;     // the view's rotation the animation heads for
    double shownRotation_ = 0;  // what the icon shows now
};

}  // namespace quorvel::qt
