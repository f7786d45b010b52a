#include "desktop/qt/settings_more_tab.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStackedLayout>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include "desktop/qt/settings_widgets.h"

namespace quorvel::qt {

namespace sw = settings_window;

SettingsMoreTab::SettingsMoreTab(sw::SettingsWindowServices& services, QWidget* parent)
    : QWidget(parent), view_(std::make_unique<sw::MoreView>(services)) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(16);
    column->addWidget(makeAbout());
    column->addWidget(makeDivider(this));

    auto* reset = new QPushButton(themedIcon("edit-undo", QStyle::SP_BrowserReload),
                                  QStringLiteral("Reset all settings"), this);
    reset->setIconSize(QSize(20, 20));
    connect(reset, &QPushButton::clicked, this, &SettingsMoreTab::askToReset);
    column->addWidget(reset, 0, Qt::AlignLeft);
    column->addWidget(makeDivider(this));

    launchAtLogin_ = new QCheckBox(QStringLiteral("Launch at login"), this);
    connect(launchAtLogin_, &QCheckBox::toggled, this,
            [this](bool on) { view_->setLaunchAtLogin(on); });
    column->addWidget(launchAtLogin_);
    column->addWidget(makeDivider(this));

    auto* chat = new QPushButton(QStringLiteral("Let's chat  ↗"), this);
    QFont small = chat->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    chat->setFont(small);
    connect(chat, &QPushButton::clicked, this, [] {
        QDesktopServices::openUrl(QUrl(QString::fromUtf8(sw::MoreView::contactPageUrl)));
    });
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
    column->addStretch();
    row->addLayout(column, 1);
    return about;
}

void SettingsMoreTab::askToReset() {
    view_->requestReset();
    QMessageBox box(QMessageBox::Warning, QString::fromUtf8(sw::MoreView::resetTitle),
                    QString::fromUtf8(sw::MoreView::resetMessage), QMessageBox::NoButton, this);
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
    launchAtLogin_->setChecked(view_->isLaunchAtLoginEnabled());
}

}  // namespace quorvel::qt
