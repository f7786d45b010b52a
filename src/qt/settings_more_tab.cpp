#include "qt/settings_more_tab.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStackedLayout>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <QVariantAnimation>

#include "qt/settings_widgets.h"

#ifndef QUORVEL_CONTACT_PAGE_URL
#define QUORVEL_CONTACT_PAGE_URL "https://github.com/quorvel/quorvel/discussions"
#endif

namespace quorvel::qt {

namespace sw = settings_window;

SettingsMoreTab::SettingsMoreTab(sw::SettingsWindowServices& services, QWidget* parent)
    : QWidget(parent), view_(std::make_unique<sw::MoreView>(services)) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(16);
    column->addWidget(makeAbout());
    column->addWidget(makeDivider(this));

    reset_ = new QPushButton(QStringLiteral("Reset all settings"), this);
    reset_->setIconSize(QSize(20, 20));
    resetPixmap_ =
        themedIcon("edit-undo", QStyle::SP_BrowserReload).pixmap(QSize(20, 20), devicePixelRatio());
    reset_->setIcon(QIcon(resetPixmap_));
    turn_ = new QVariantAnimation(this);
    turn_->setDuration(400);
    turn_->setEasingCurve(QEasingCurve::OutBack);  // a spring's slight overshoot
    connect(turn_, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& degrees) { showResetIconAt(degrees.toDouble()); });
    connect(reset_, &QPushButton::clicked, this, &SettingsMoreTab::askToReset);
    column->addWidget(reset_, 0, Qt::AlignLeft);
    column->addWidget(makeDivider(this));

    launchAtLogin_ = new QCheckBox(QStringLiteral("Launch at login"), this);
    connect(launchAtLogin_, &QCheckBox::toggled, this,
            [this](bool on) { view_->setAutostart(on); });
    column->addWidget(launchAtLogin_);
    column->addWidget(makeDivider(this));

    auto* chat = new QPushButton(QStringLiteral("Let's chat  ↗"), this);
    QFont small = chat->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    chat->setFont(small);
    connect(chat, &QPushButton::clicked, this,
            [] { QDesktopServices::openUrl(QUrl(QStringLiteral(QUORVEL_CONTACT_PAGE_URL))); });
    column->addWidget(chat, 0, Qt::AlignLeft);
    column->addStretch();

    // The relative time and the update check's progress move on their own.
    auto* ticker = new QTimer(this);
    connect(ticker, &QTimer::timeout, this, &SettingsMoreTab::refresh);
    ticker->start(1000);
    connection_ = view_->changed.connect([this] { refresh(); });
    refresh();
}

SettingsMoreTab::~SettingsMoreTab() = default;

QWidget* SettingsMoreTab::makeAbout() {
    auto* about = new QWidget(this);
    auto* row = new QHBoxLayout(about);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(16);
    auto* logo = new QLabel(about);
    logo->setFixedSize(80, 80);
    logo->setPixmap(logoPixmap(80, logo));
    row->addWidget(logo, 0, Qt::AlignTop);

    auto* column = new QVBoxLayout;
    column->setSpacing(6);
    auto* name = new QHBoxLayout;
    name->addWidget(new QLabel(QStringLiteral("Quorvel"), about));
    name->addWidget(makeSecondaryLabel(QString::fromStdString(view_->version()), about, false));
    name->addStretch();
    column->addLayout(name);
    lastCheck_ = makeSecondaryLabel({}, about);
    column->addWidget(lastCheck_);

    auto* holder = new QWidget(about);
    auto* stack = new QStackedLayout(holder);
    checkButton_ = new QPushButton(QStringLiteral("Check for updates"), holder);
    checkButton_->setMinimumWidth(100);
    connect(checkButton_, &QPushButton::clicked, this, [this] { view_->checkForUpdates(); });
    checking_ = new QProgressBar(holder);
    checking_->setRange(0, 0);
    checking_->setTextVisible(false);
    checking_->setMaximumHeight(8);
    stack->addWidget(checkButton_);
    stack->addWidget(checking_);
    holder->setFixedSize(checkButton_->sizeHint().expandedTo(QSize(100, 0)));
    column->addWidget(holder, 0, Qt::AlignLeft);
    automaticChecks_ = new QCheckBox(QStringLiteral("Check for updates automatically"), about);
    automaticChecks_->setVisible(view_->offersAutomaticUpdateChecks());
    connect(automaticChecks_, &QCheckBox::toggled, this,
            [this](bool on) { view_->setChecksForUpdatesAutomatically(on); });
    column->addWidget(automaticChecks_);
    column->addStretch();
    row->addLayout(column, 1);
    return about;
}

void SettingsMoreTab::askToReset() {
    view_->requestReset();
    // Window titles are often hidden or small on Linux, so the question is the heading too.
    QMessageBox box(QMessageBox::Warning, QString::fromUtf8(sw::MoreView::resetTitle),
                    QString::fromUtf8(sw::MoreView::resetTitle), QMessageBox::NoButton, this);
    box.setInformativeText(QString::fromUtf8(sw::MoreView::resetMessage));
    box.addButton(QMessageBox::Cancel);
    auto* reset = box.addButton(QStringLiteral("Reset"), QMessageBox::DestructiveRole);
    box.setDefaultButton(QMessageBox::Cancel);
    box.exec();
    if (box.clickedButton() == reset) {
        view_->confirmReset();
    } else {
        view_->cancelReset();
    }
}

void SettingsMoreTab::refresh() {
    lastCheck_->setText(QStringLiteral("Last update check: ") +
                        QString::fromStdString(view_->lastUpdateCheckText()));
    const bool checking = view_->isCheckingForUpdates();
    static_cast<QStackedLayout*>(checkButton_->parentWidget()->layout())
        ->setCurrentIndex(checking ? 1 : 0);
    const QSignalBlocker block(launchAtLogin_);
    launchAtLogin_->setChecked(view_->isAutostartEnabled());
    const QSignalBlocker blockChecks(automaticChecks_);
    automaticChecks_->setChecked(view_->checksForUpdatesAutomatically());
    if (view_->resetRotation() != turnTarget_) {
        turnTarget_ = view_->resetRotation();
        turn_->stop();
        turn_->setStartValue(shownRotation_);
        turn_->setEndValue(turnTarget_);
        turn_->start();
    }
}

void SettingsMoreTab::showResetIconAt(double degrees) {
    shownRotation_ = degrees;
    const QSizeF size = QSizeF(resetPixmap_.size()) / resetPixmap_.devicePixelRatio();
    QPixmap turned(resetPixmap_.size());
    turned.setDevicePixelRatio(resetPixmap_.devicePixelRatio());
    turned.fill(Qt::transparent);
    QPainter painter(&turned);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.translate(size.width() / 2, size.height() / 2);
    painter.rotate(degrees);
    painter.translate(-size.width() / 2, -size.height() / 2);
    painter.drawPixmap(QPointF(0, 0), resetPixmap_);
    painter.end();
    reset_->setIcon(QIcon(turned));
}

}  // namespace quorvel::qt
