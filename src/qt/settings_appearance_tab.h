#pragma once

#include "core/signal.h"
#include "settings_window/appearance_view.h"

#include <QWidget>
#include <memory>

class QComboBox;
class QLayout;
class QLabel;
class QSlider;

namespace quorvel::qt {

class LogoButton;
class SegmentedControl;

/// The General tab: renders `AppearanceView` and forwards the user's actions.
class SettingsAppearanceTab : public QWidget {
public:
    SettingsAppearanceTab(settings_window::SettingsWindowServices& services, QWidget* parent);
    ~SettingsAppearanceTab() override;

    settings_window::AppearanceView& view() { return *view_; }

private:
    QLayout* makeTop();
    QLayout* makeLooksRow();
    QLayout* makeMotionRow();
    QSlider* makeSlider(const settings_window::SliderSteps& steps);
    QWidget* makeColumn(QWidget* header, QWidget* control);
    void refresh();

    std::unique_ptr<settings_window::AppearanceView> view_;
    core::Connection connection_;
    LogoButton* logo_ = nullptr;
    SegmentedControl* modePicker_ = nullptr;
    QSlider* opacity_ = nullptr;
    QSlider* grain_ = nullptr;
    QSlider* fade_ = nullptr;
    QComboBox* theme_ = nullptr;
    QLabel* fadeValue_ = nullptr;
    QList<QWidget*> headers_;
};

}  // namespace quorvel::qt
