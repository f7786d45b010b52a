#include "qt/qt_settings_window_host.h"

#include <QGuiApplication>
#include <QScreen>
#include <functional>
#include <utility>

#include "qt/settings_window_widget.h"

namespace quorvel::qt {

namespace {
class QtSettingsWindow final : public ports::SettingsWindow {
public:
    QtSettingsWindow(SettingsWindowWidget* widget, std::function<void()> beforeFirstShow)
        : widget_(widget), beforeFirstShow_(std::move(beforeFirstShow)) {}
    ~QtSettingsWindow() override {
        if (!widget_) return;
        widget_->detach();
        widget_->deleteLater();
    }

    void bringToFront() override {
        if (!widget_) return;
        if (!widget_->isVisible() && beforeFirstShow_) std::exchange(beforeFirstShow_, nullptr)();
        widget_->setWindowState(widget_->windowState() & ~Qt::WindowMinimized);
        widget_->show();
        widget_->raise();
        widget_->activateWindow();
    }
    bool isVisible() const override {
        return widget_ && widget_->isVisible() && !widget_->isMinimized();
    }
    void close() override {
        if (widget_) widget_->close();
    }
    void resignKey() override {
        if (widget_ && widget_->focusWidget()) widget_->focusWidget()->clearFocus();
    }

private:
    QPointer<SettingsWindowWidget> widget_;
    std::function<void()> beforeFirstShow_;
};
}  // namespace

std::unique_ptr<ports::SettingsWindow> QtSettingsWindowHost::createWindow(
    ports::SettingsWindowEvents& events) {
    auto* widget = new SettingsWindowWidget(state_, services_, events);
    if (!menus_.empty()) widget->addMenus(menus_, perform_);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        widget->move(area.center() - QPoint(widget->width() / 2, widget->height() / 2));
    }
    widget_ = widget;
    return std::make_unique<QtSettingsWindow>(widget, rememberFocus_);
}

void QtSettingsWindowHost::restorePreviousFocus() {
    if (restoreFocus_) restoreFocus_();
}

}  // namespace quorvel::qt
