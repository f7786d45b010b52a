#pragma once

#include "core/signal.h"
#include "settings_window/shortcuts_view.h"

#include <QWidget>
#include <array>
#include <memory>

class QLabel;
class QToolButton;

namespace quorvel::qt {

class ShortcutRecorderWidget;

/// The Shortcuts tab: renders `ShortcutsView` and forwards the user's actions.
class SettingsShortcutsTab : public QWidget {
public:
    SettingsShortcutsTab(settings_window::SettingsWindowServices& services, QWidget* parent);
    ~SettingsShortcutsTab() override;

    settings_window::ShortcutsView& view() { return *view_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* makeRow(settings_window::ShortcutRow row);
    void refresh();

    std::unique_ptr<settings_window::ShortcutsView> view_;
    core::Connection connection_;
    std::array<QWidget*, 3> rows_{};
    std::array<ShortcutRecorderWidget*, 3> recorders_{};
    std::array<QToolButton*, 3> trash_{};
    std::array<QLabel*, 3> problems_{};
};

}  // namespace quorvel::qt
