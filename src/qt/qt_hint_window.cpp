#include "qt/qt_hint_window.h"

#include <QAbstractButton>
#include <QEnterEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QVBoxLayout>
#include <QVariantAnimation>
#include <algorithm>
#include <utility>

#include "x11/monitor_layout.h"

namespace quorvel::qt {

namespace {

constexpr int kInset = 14;
constexpr int kArrowRoom = 6;
constexpr qreal kCornerRadius = 12;
constexpr qreal kArrowHeight = 8;
constexpr qreal kOverlap = 1;

/// "Got it!": a full-width plain button whose background brightens over
/// 0.1 seconds while the pointer is on it.
class HintButton final : public QAbstractButton {
public:
    explicit HintButton(QWidget* parent) : QAbstractButton(parent) {
        setText(QStringLiteral("Got it!"));
        setAccessibleName(QStringLiteral("Close tooltip"));
        setObjectName(QStringLiteral("closeButton"));
        setFixedHeight(28);
        setFocusPolicy(Qt::NoFocus);
        setCursor(Qt::PointingHandCursor);
        hover_.setDuration(100);
        hover_.setEasingCurve(QEasingCurve::InOutQuad);
        connect(&hover_, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
            hovered_ = v.toDouble();
            update();
        });
    }
    void setDark(bool dark) {
        dark_ = dark;
        update();
    }
    QSize sizeHint() const override { return {120, 28}; }

protected:
    void enterEvent(QEnterEvent*) override { animateHover(1); }
    void leaveEvent(QEvent*) override { animateHover(0); }
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const qreal rest = dark_ ? 0.2 : 0.1;
        const qreal raised = dark_ ? 0.3 : 0.15;
        QColor background = dark_ ? Qt::white : Qt::black;
        background.setAlphaF(float(rest + (raised - rest) * hovered_));
        p.setPen(Qt::NoPen);
        p.setBrush(background);
        p.drawRoundedRect(QRectF(rect()), 6, 6);
        QFont f = font();
        f.setPixelSize(13);
        f.setWeight(QFont::Medium);
        p.setFont(f);
        p.setPen(dark_ ? Qt::white : Qt::black);
        p.drawText(rect(), Qt::AlignCenter, text());
    }

private:
    void animateHover(qreal to) {
        hover_.stop();
        hover_.setStartValue(hovered_);
        hover_.setEndValue(to);
        hover_.start();
    }

    QVariantAnimation hover_;
    qreal hovered_ = 0;
    bool dark_ = false;
};

QLabel* label(const QString& text, const char* role, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(role));
    return l;
}

// `caps` (when given) receives the layout that `fillCaps` fills.
QHBoxLayout* instructionRow(const QString& text, QHBoxLayout** caps, QWidget* parent) {
    auto* row = new QHBoxLayout();
    row->setSpacing(6);
    auto* instruction = label(text, "instruction", parent);
    instruction->setWordWrap(true);
    row->addWidget(instruction, 1);
    if (!caps) return row;
    *caps = new QHBoxLayout();
    (*caps)->setSpacing(2);
    row->addLayout(*caps);
    return row;
}

// A slash, then one cap per key; nothing at all for no keys.
void fillCaps(QHBoxLayout* caps, const std::vector<std::string>& keys, QWidget* parent) {
    while (QLayoutItem* item = caps->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    if (keys.empty()) return;
    caps->addWidget(label(QStringLiteral("/"), "slash", parent));
    // Linux names its modifiers in words ("Super"): caps grow to fit them, in
    // the caps' own font (the style sheet may not be applied yet).
    QFont font;
    font.setPixelSize(13);
    font.setWeight(QFont::Medium);
    const QFontMetrics metrics(font);
    for (const std::string& key : keys) {
        auto* cap = label(QString::fromStdString(key), "keycap", parent);
        cap->setAlignment(Qt::AlignCenter);
        cap->setFixedSize(std::max(24, metrics.horizontalAdvance(cap->text()) + 10), 20);
        caps->addWidget(cap);
        cap->show();
    }
}

QString schemeStyleSheet(bool dark) {
    // Secondary label colours of the two schemes, at 80 % for the
    // instructions and 40 % for the separators.
    const QString ink = dark ? QStringLiteral("255,255,255") : QStringLiteral("0,0,0");
    const double secondary = dark ? 0.55 : 0.5;
    return QStringLiteral(
               "QLabel#instruction { color: rgba(%1,%2); font-size: 11px; }"
               "QLabel#slash { color: rgba(%1,%3); font-size: 16px; font-weight: 300; }"
               "QLabel#keycap { color: rgba(%1,0.85); background: rgba(%1,%4);"
               " border-radius: 4px; font-size: 13px; font-weight: 500; }")
        .arg(ink)
        .arg(secondary * 0.8)
        .arg(secondary * 0.4)
        .arg(dark ? 0.2 : 0.1);
}

bool paletteIsDark() {
    return QGuiApplication::palette().color(QPalette::Window).lightness() < 128;
}

}  // namespace

QtHintWindow::QtHintWindow()
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setWindowTitle(QStringLiteral("Quorvel hint"));
    setFixedWidth(hintWidth);
    buildContent();
    dark_ = !paletteIsDark();  // forces the first application
    applyScheme();
    resize(hintWidth, int(size().height));
}

QtHintWindow::~QtHintWindow() {
    if (animation_) animation_->stop();
}

void QtHintWindow::buildContent() {
    layout_ = new QVBoxLayout(this);
    layout_->setContentsMargins(kInset, kInset + kArrowRoom, kInset, kInset);
    layout_->setSpacing(kInset / 2);
    layout_->addLayout(instructionRow(QStringLiteral("Click to toggle focus"), &toggleCaps_, this));
    layout_->addLayout(
        instructionRow(QStringLiteral("Shift + click to switch mode"), &modeCaps_, this));
    layout_->addLayout(instructionRow(QStringLiteral("Right-click\nto open menu"), nullptr, this));
    // The default shortcuts until the owner names the stored ones.
    setShortcutKeys({"Ctrl", "Alt", "Super", "F"}, {"Ctrl", "Alt", "Super", "M"});
    auto* button = new HintButton(this);
    button_ = button;
    layout_->addWidget(button);
    connect(button, &QAbstractButton::clicked, this, [this] {
        if (events_) events_->closeRequested();
    });
}

void QtHintWindow::setShortcutKeys(const std::vector<std::string>& toggle,
                                   const std::vector<std::string>& mode) {
    fillCaps(toggleCaps_, toggle, this);
    fillCaps(modeCaps_, mode, this);
    resize(hintWidth, int(size().height));
}

void QtHintWindow::applyScheme() {
    const bool dark = paletteIsDark();
    if (dark == dark_) return;
    dark_ = dark;
    setStyleSheet(schemeStyleSheet(dark));
    static_cast<HintButton*>(button_)->setDark(dark);
    update();
}

void QtHintWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ApplicationPaletteChange ||
        event->type() == QEvent::PaletteChange) {
        applyScheme();
    }
    QWidget::changeEvent(event);
}

core::Size QtHintWindow::size() const {
    ensurePolished();
    layout_->activate();
    const int height = layout_->hasHeightForWidth() ? layout_->totalHeightForWidth(hintWidth)
                                                    : layout_->totalSizeHint().height();
    return {double(hintWidth), double(std::max(height, 1))};
}

void QtHintWindow::setFrame(const core::Rect& frame, bool arrowUp) {
    if (arrowUp != arrowUp_) {
        arrowUp_ = arrowUp;
        layout_->setContentsMargins(kInset, kInset + (arrowUp ? kArrowRoom : 0), kInset,
                                    kInset + (arrowUp ? 0 : kArrowRoom));
    }
    setGeometry(QRect(qRound(frame.x), qRound(frame.y), qRound(frame.width), qRound(frame.height)));
    update();
}

void QtHintWindow::orderFront() {
    if (!isVisible()) {
        setWindowOpacity(alpha_);
        show();
    }
    raise();
}

void QtHintWindow::orderOut() {
    hide();
}

void QtHintWindow::applyAlpha(double value) {
    alpha_ = value;
    setWindowOpacity(value);
}

void QtHintWindow::animateAlpha(double target, double duration, std::function<void()> completion) {
    finishAnimation();  // a replaced fade completes at once
    target_ = target;
    completion_ = std::move(completion);
    auto* animation = new QVariantAnimation(this);
    animation->setStartValue(alpha_);
    animation->setEndValue(target);
    // Never zero: a fade always ends on a later turn of the event loop.
    animation->setDuration(std::max(1, int(duration * 1000)));
    animation->setEasingCurve(QEasingCurve::InOutQuad);
    connect(animation, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& v) { applyAlpha(v.toDouble()); });
    connect(animation, &QVariantAnimation::finished, this, [this] { finishAnimation(); });
    animation_ = animation;
    animation->start();
}

void QtHintWindow::finishAnimation() {
    if (!animation_) return;
    QVariantAnimation* done = animation_;
    animation_ = nullptr;
    done->disconnect(this);
    done->stop();
    done->deleteLater();
    applyAlpha(target_);
    if (auto completion = std::exchange(completion_, nullptr)) completion();
}

QPainterPath QtHintWindow::bodyPath() const {
    const qreal w = width();
    const qreal h = height();
    QPainterPath body;
    body.addRoundedRect(QRectF(0, kArrowHeight - kOverlap, w, h - kArrowHeight + kOverlap),
                        kCornerRadius, kCornerRadius);
    const qreal s = (w - 2 * kArrowHeight) / 2;
    const qreal c = s + kArrowHeight;
    QPainterPath arrow;
    arrow.moveTo(s, kArrowHeight);
    arrow.lineTo(c - 1.5, 1.5);
    arrow.quadTo(c, 0, c + 1.5, 1.5);
    arrow.lineTo(s + 2 * kArrowHeight, kArrowHeight);
    arrow.closeSubpath();
    QPainterPath path = body.united(arrow);
    if (!arrowUp_) path = QTransform(1, 0, 0, -1, 0, h).map(path);  // arrow on the bottom edge
    return path;
}

void QtHintWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QPainterPath path = bodyPath();
    QColor fill = dark_ ? QColor(0, 0, 0) : QColor(255, 255, 255);
    fill.setAlphaF(dark_ ? 0.6f : 0.8f);
    p.fillPath(path, fill);
    // The window has no room for a drop shadow; a hairline of the shadow's
    // colour keeps the edge visible on a background of the body's colour.
    p.setPen(QPen(QColor(0, 0, 0, 26), 1));
    p.drawPath(path.translated(0, 0.5));
}

}  // namespace quorvel::qt
