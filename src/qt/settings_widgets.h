#pragma once

#include <QAbstractButton>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QString>
#include <QStyle>
#include <QWidget>
#include <functional>

class QSvgRenderer;

namespace quorvel::qt {

/// An icon from the desktop's theme, else `fallback` drawn by the style.
QIcon themedIcon(const char* name, QStyle::StandardPixmap fallback);
/// The path of the logo artwork; empty when it cannot be found.
QString logoPath();
/// The logo drawn at `side` by `side` logical pixels for `widget`'s screen.
QPixmap logoPixmap(int side, const QWidget* widget);
/// A thin line at 0.2 opacity across the parent's layout.
QWidget* makeDivider(QWidget* parent);
/// Draws `widget` at `opacity` (1 removes the effect).
void setOpacity(QWidget* widget, double opacity);
/// A label in the secondary text colour, optionally smaller (callout size).
QLabel* makeSecondaryLabel(const QString& text, QWidget* parent, bool callout = true);
/// An icon and a text side by side, as the tabs' headers show them.
QWidget* makeHeader(const QIcon& icon, const QString& text, QWidget* parent);

/// Two or more exclusive segments side by side (the focus-mode picker).
class SegmentedControl : public QWidget {
public:
    SegmentedControl(const QStringList& titles, QWidget* parent);
    void setCurrentIndex(int index);
    int currentIndex() const;
    std::function<void(int)> onChanged;

private:
    QList<QPushButton*> buttons_;
};

/// The logo that switches focus: turns once every five seconds while on,
/// gray, still and half transparent while off, with "ON" or "OFF" over it.
class LogoButton : public QAbstractButton {
public:
    explicit LogoButton(QWidget* parent);
    ~LogoButton() override;
    void setOn(bool on);
    QSize sizeHint() const override { return {128, 128}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    QSvgRenderer* renderer_;
    bool on_ = true;
    double angle_ = 0;
    int timer_ = 0;
    qint64 started_ = 0;
};

}  // namespace quorvel::qt
