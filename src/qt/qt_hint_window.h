#pragma once

#include <QPainterPath>
#include <QPointer>
#include <QWidget>
#include <functional>

#include "ports/hint_window.h"

class QAbstractButton;
class QHBoxLayout;
class QLabel;
class QVBoxLayout;
class QVariantAnimation;

namespace quorvel::qt {

/// The floating hint that explains the tray icon: a translucent rounded body
/// with an arrow towards the icon, three instruction rows with key caps and a
/// "Got it!" button. A frameless tool-tip window that never takes the focus;
/// it follows the light or dark palette of the application.
class QtHintWindow final : public QWidget, public ports::HintWindow {
public:
    static constexpr int hintWidth = 240;

    QtHintWindow();
    ~QtHintWindow() override;

    core::Size size() const override;
    void setFrame(const core::Rect& frame, bool arrowUp) override;
    void orderFront() override;
    double alpha() const override { return alpha_; }
    void animateAlpha(double target, double duration, std::function<void()> completion) override;
    void orderOut() override;
    void setEvents(ports::HintWindowEvents* events) override { events_ = events; }
    void setShortcutKeys(const std::vector<std::string>& toggle,
                         const std::vector<std::string>& mode) override;

    bool arrowUp() const { return arrowUp_; }
    bool isDark() const { return dark_; }
    /// The "Got it!" button (accessible name "Close tooltip").
    QAbstractButton* closeButton() const { return button_; }
    /// The body outline in widget coordinates, arrow included.
    QPainterPath bodyPath() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buildContent();
    void applyScheme();
    void applyAlpha(double value);
    void finishAnimation();

    QVBoxLayout* layout_ = nullptr;
    QHBoxLayout* toggleCaps_ = nullptr;
    QHBoxLayout* modeCaps_ = nullptr;
    QAbstractButton* button_ = nullptr;
    bool arrowUp_ = true;
    bool dark_ = false;
    double alpha_ = 0;
    double target_ = 0;
    QPointer<QVariantAnimation> animation_;
    std::function<void()> completion_;
    ports::HintWindowEvents* events_ = nullptr;
};

}  // namespace quorvel::qt
