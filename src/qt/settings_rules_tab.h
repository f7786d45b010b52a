#pragma once

#include "core/signal.h"
#include "settings_window/rules_view.h"

#include <QStringList>
#include <QWidget>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QVBoxLayout;

namespace quorvel::qt {

/// The Rules tab: renders `RulesView` and forwards the user's actions.
class SettingsRulesTab : public QWidget {
public:
    SettingsRulesTab(settings_window::SettingsWindowServices& services, QWidget* parent);
    ~SettingsRulesTab() override;

    settings_window::RulesView& view() { return *view_; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QWidget* makeAutoHideSection();
    QWidget* makeDisplaySection();
    QWidget* makeExcludedSection();
    void chooseApplication();
    void rebuildExcludedList();
    void refresh();

    settings_window::SettingsWindowServices& services_;
    std::unique_ptr<settings_window::RulesView> view_;
    core::Connection connection_;
    QCheckBox* autoHide_ = nullptr;
    QComboBox* option_ = nullptr;
    QStackedWidget* permissionLine_ = nullptr;
    QPushButton* grantedButton_ = nullptr;
    QRadioButton* perScreen_ = nullptr;
    QRadioButton* global_ = nullptr;
    QVBoxLayout* excludedRows_ = nullptr;
    QStringList shownExcluded_{QStringLiteral("-")};
};

}  // namespace quorvel::qt
