#pragma once

#include "settings_window/shortcuts_view.h"

#include <QPushButton>

namespace quorvel::qt {

/// The button of one shortcut row: shows the shortcut, and while its row
/// records takes every key press (Tab included) for the row's recorder.
class ShortcutRecorderWidget : public QPushButton {
    Q_OBJECT
public:
    ShortcutRecorderWidget(settings_window::ShortcutsView& view, settings_window::ShortcutRow row,
                           QWidget* parent);
    void refresh();

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    /// Holds or lets go of the whole keyboard.
    void holdKeyboard(bool hold);
    settings_window::ShortcutsView& view_;
    settings_window::ShortcutRow row_;
};

}  // namespace quorvel::qt
