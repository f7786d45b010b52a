#include "qt/shortcut_recorder_widget.h"

#include <QKeyEvent>
#include <algorithm>

#include "core/log.h"
#include "qt/settings_key_translation.h"

namespace quorvel::qt {

ShortcutRecorderWidget::ShortcutRecorderWidget(settings_window::ShortcutsView& view,
                                               settings_window::ShortcutRow row, QWidget* parent)
    : QPushButton(parent), view_(view), row_(row) {
    setMinimumSize(80, 24);
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QPushButton::clicked, this, [this] { view_.startRecording(row_); });
    refresh();
}

void ShortcutRecorderWidget::refresh() {
    setText(QString::fromStdString(view_.label(row_)));
    // Linux labels ("Ctrl+Alt+Super+F") are wider than symbols: fit the text.
    setFixedWidth(std::max(80, fontMetrics().horizontalAdvance(text()) + 20));
    if (view_.isRecording(row_)) setFocus(Qt::OtherFocusReason);
    holdKeyboard(view_.isRecording(row_) && window()->isActiveWindow());
}

void ShortcutRecorderWidget::holdKeyboard(bool hold) {
    // The grab keeps combinations other clients grab passively (the window
    // manager's among them) coming here, but only while the user works in
    // the settings window: the rest of the desktop keeps its keyboard.
    if (hold && QWidget::keyboardGrabber() != this) {
        grabKeyboard();
        core::log("⌨️ Shortcut recorder holds the keyboard");
    } else if (!hold && QWidget::keyboardGrabber() == this) {
        releaseKeyboard();
        core::log("⌨️ Shortcut recorder lets go of the keyboard");
    }
}

bool ShortcutRecorderWidget::event(QEvent* event) {
    // Qt hands window (de)activation down to every child widget.
    const bool activated = event->type() == QEvent::WindowActivate;
    if (activated || event->type() == QEvent::WindowDeactivate) {
        holdKeyboard(view_.isRecording(row_) && activated);
    }
    // While recording, Tab and Shift+Tab are keys to record, not focus moves;
    // and the window's own shortcuts must not fire.
    if (view_.isRecording(row_)) {
        if (event->type() == QEvent::ShortcutOverride) {
            event->accept();
            return true;
        }
        if (event->type() == QEvent::KeyPress) {
            keyPressEvent(static_cast<QKeyEvent*>(event));
            return true;
        }
    }
    return QPushButton::event(event);
}

void ShortcutRecorderWidget::keyPressEvent(QKeyEvent* event) {
    auto& recorder = view_.recorder(row_);
    if (!recorder.isRecording) {
        QPushButton::keyPressEvent(event);
        return;
    }
    event->accept();
    const auto keyCode = storedKeyCode(*event);
    if (!keyCode) {
        core::log("Key down received: unknown key, native=" +
                  std::to_string(event->nativeScanCode()));
        return;
    }
    recorder.keyDown(*keyCode, storedModifiers(event->modifiers()));
}

void ShortcutRecorderWidget::focusOutEvent(QFocusEvent* event) {
    // A click elsewhere in the window does not end a recording: keep the keys
    // coming here. Another window taking over lets go (see event).
    if (view_.isRecording(row_) && window()->isActiveWindow()) setFocus(Qt::OtherFocusReason);
    QPushButton::focusOutEvent(event);
}

}  // namespace quorvel::qt
