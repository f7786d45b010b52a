#include "qt/settings_widgets.h"

#include <QApplication>
#include <QButtonGroup>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QPainter>
#include <QStyle>
#include <QSvgRenderer>
#include <cmath>

namespace quorvel::qt {

QIcon themedIcon(const char* name, QStyle::StandardPixmap fallback) {
    const QIcon themed = QIcon::fromTheme(QString::fromUtf8(name));
    if (!themed.isNull()) return themed;
    return QApplication::style()->standardIcon(fallback);
}

QString logoPath() {
    const QString resource = QStringLiteral(":/icons/app/quorvel-logo.svg");
    if (QFileInfo::exists(resource)) return resource;
    // Installed next to the program, or the source tree's data folder seen
    // from a build directory.
    QDir dir(QCoreApplication::applicationDirPath());
    const QStringList candidates{QStringLiteral("share/quorvel/icons/quorvel-logo.svg"),
                                 QStringLiteral("data/icons/app/quorvel-logo.svg")};
    for (int up = 0; up < 6; ++up) {
        for (const QString& c : candidates) {
            if (QFileInfo::exists(dir.filePath(c))) return dir.filePath(c);
        }
        if (!dir.cdUp()) break;
    }
    return {};
}

QPixmap logoPixmap(int side, const QWidget* widget) {
    const qreal ratio = widget->devicePixelRatioF();
    QPixmap pixmap(QSize(side, side) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(logoPath());
    if (renderer.isValid()) {
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        renderer.render(&p, QRectF(0, 0, side, side));
    }
    return pixmap;
}

QWidget* makeDivider(QWidget* parent) {
    auto* line = new QWidget(parent);
    line->setFixedHeight(1);
    line->setAutoFillBackground(true);
    QPalette p = line->palette();
    QColor c = p.color(QPalette::WindowText);
    c.setAlphaF(0.2f);
    p.setColor(QPalette::Window, c);
    line->setPalette(p);
    return line;
}

void setOpacity(QWidget* widget, double opacity) {
    if (opacity >= 1.0) {
        widget->setGraphicsEffect(nullptr);
        return;
    }
    auto* effect = qobject_cast<QGraphicsOpacityEffect*>(widget->graphicsEffect());
    if (!effect) {
        effect = new QGraphicsOpacityEffect(widget);
        widget->setGraphicsEffect(effect);
    }
    effect->setOpacity(opacity);
}

QLabel* makeSecondaryLabel(const QString& text, QWidget* parent, bool callout) {
    auto* label = new QLabel(text, parent);
    label->setForegroundRole(QPalette::PlaceholderText);
    if (callout) {
        QFont f = label->font();
        f.setPointSizeF(f.pointSizeF() * 0.9);
        label->setFont(f);
    }
    return label;
}

QWidget* makeHeader(const QIcon& icon, const QString& text, QWidget* parent) {
    auto* header = new QWidget(parent);
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    auto* glyph = new QLabel(header);
    glyph->setPixmap(icon.pixmap(16, 16));
    row->addWidget(glyph);
    row->addWidget(new QLabel(text, header));
    row->addStretch();
    return header;
}

SegmentedControl::SegmentedControl(const QStringList& titles, QWidget* parent) : QWidget(parent) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    auto* group = new QButtonGroup(this);
    for (int i = 0; i < titles.size(); ++i) {
        auto* button = new QPushButton(titles[i], this);
        button->setCheckable(true);
        group->addButton(button, i);
        row->addWidget(button);
        buttons_.append(button);
    }
    for (int i = 0; i < buttons_.size(); ++i) {
        buttons_[i]->setObjectName(i == 0 ? QStringLiteral("first")
                                          : (i == buttons_.size() - 1 ? QStringLiteral("last")
                                                                      : QStringLiteral("middle")));
    }
    // The chosen segment carries the accent colour, as a segmented control does.
    setStyleSheet(QStringLiteral(
        "QPushButton { padding: 4px 10px; border: 1px solid palette(mid);"
        " background: palette(button); color: palette(button-text); }"
        "QPushButton:checked { background: palette(highlight); color: palette(highlighted-text);"
        " border-color: palette(highlight); }"
        "QPushButton#first { border-top-left-radius: 6px; border-bottom-left-radius: 6px; }"
        "QPushButton#last { border-top-right-radius: 6px; border-bottom-right-radius: 6px; }"));
    connect(group, &QButtonGroup::idClicked, this, [this](int id) {
        if (onChanged) onChanged(id);
    });
}

void SegmentedControl::setCurrentIndex(int index) {
    if (index >= 0 && index < buttons_.size()) buttons_[index]->setChecked(true);
}

int SegmentedControl::currentIndex() const {
    for (int i = 0; i < buttons_.size(); ++i) {
        if (buttons_[i]->isChecked()) return i;
    }
    return -1;
}

LogoButton::LogoButton(QWidget* parent)
    : QAbstractButton(parent), renderer_(new QSvgRenderer(logoPath(), this)) {
    setCursor(Qt::PointingHandCursor);
    setFixedSize(128, 128);
    setAccessibleName(QStringLiteral("Focus"));
    started_ = QDateTime::currentMSecsSinceEpoch();
    timer_ = startTimer(33);
}

LogoButton::~LogoButton() = default;

void LogoButton::setOn(bool on) {
    on_ = on;
    setText(on ? QStringLiteral("ON") : QStringLiteral("OFF"));
    update();
}

void LogoButton::timerEvent(QTimerEvent*) {
    // One linear turn every five seconds, started when the button appears.
    const qint64 elapsed = QDateTime::currentMSecsSinceEpoch() - started_;
    angle_ = std::fmod(static_cast<double>(elapsed) / 5000.0 * 360.0, 360.0);
    if (on_) update();
}

void LogoButton::paintEvent(QPaintEvent*) {
    QImage image(size() * devicePixelRatioF(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatioF());
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.translate(width() / 2.0, height() / 2.0);
        p.rotate(on_ ? angle_ : 0.0);
        p.translate(-width() / 2.0, -height() / 2.0);
        if (renderer_->isValid()) renderer_->render(&p, QRectF(rect()));
    }
    if (!on_) {
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                const int g = qGray(line[x]);
                line[x] = qRgba(g, g, g, qAlpha(line[x]));
            }
        }
    }
    QPainter painter(this);
    painter.setOpacity(on_ ? 1.0 : 0.5);
    painter.drawImage(QPointF(0, 0), image);
    QFont f = font();
    f.setPointSizeF(f.pointSizeF() * 0.8);
    f.setWeight(QFont::Medium);
    painter.setFont(f);
    painter.setOpacity(on_ ? 1.0 : 0.6);
    // The label sits on the logo's light window, whatever the desktop's scheme.
    painter.setPen(on_ ? QColor(0x1d, 0x1f, 0x33) : QColor(0x6e, 0x6e, 0x73));
    painter.drawText(rect(), Qt::AlignCenter, on_ ? QStringLiteral("ON") : QStringLiteral("OFF"));
}

}  // namespace quorvel::qt
