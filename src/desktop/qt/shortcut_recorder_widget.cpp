#include "desktop/qt/shortcut_recorder_widget.h"

#include <QKeyEvent>

#include "core/log.h"
#include "desktop/qt/settings_key_translation.h"

namespace quorvel::qt {

ShortcutRecorderWidget::ShortcutRecorderWidget(settings_window::ShortcutsView& view,
                                               settings_window::ShortcutRow row, QWidget* parent)
    : QPushButton(parent), view_(view), row_(row) {
    setMinimumSize(80, 24);
    setFixedWidth(80);
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QPushButton::clicked, this, [this] { view_.startRecording(row_); });
    refresh();
}

void ShortcutRecorderWidget::refresh() {
    setText(QString::fromStdString(view_.label(row_)));
    if (view_.isRecording(row_)) {
        setFocus(Qt::OtherFocusReason);
        grabKeyboard();
    } else if (QWidget::keyboardGrabber() == this) {
        releaseKeyboard();
    }
}

bool ShortcutRecorderWidget::event(QEvent* event) {
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
    // A click elsewhere does not end a recording: keep the keys coming here.
    if (view_.isRecording(row_)) setFocus(Qt::OtherFocusReason);
    QPushButton::focusOutEvent(event);
}

}  // namespace quorvel::qt
