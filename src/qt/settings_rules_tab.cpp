#include "qt/settings_rules_tab.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "qt/app_picker_dialog.h"
#include "qt/settings_widgets.h"

namespace quorvel::qt {

namespace sw = settings_window;

namespace {

// Flat buttons draw their text in ButtonText whatever their foreground role says,
// so the colour goes into that role.
void paintText(QPushButton* button, QPalette::ColorRole role) {
    QPalette palette = button->palette();
    const QColor colour = button->parentWidget()->palette().color(role);
    palette.setColor(QPalette::ButtonText, colour);
    palette.setColor(QPalette::WindowText, colour);
    button->setPalette(palette);
}

}  // namespace

SettingsRulesTab::SettingsRulesTab(sw::SettingsWindowServices& services, QWidget* parent)
    : QWidget(parent), services_(services), view_(std::make_unique<sw::RulesView>(services)) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(16);
    for (QWidget* section : {makeAutoHideSection(), makeDisplaySection(), makeExcludedSection()}) {
        if (column->count() > 0) column->addWidget(makeDivider(this));
        section->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
        column->addWidget(section);
    }
    column->addStretch();
    connection_ = view_->changed.connect([this] { refresh(); });
    refresh();
}

SettingsRulesTab::~SettingsRulesTab() = default;

void SettingsRulesTab::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    view_->appear();
}

void SettingsRulesTab::hideEvent(QHideEvent* event) {
    view_->disappear();
    QWidget::hideEvent(event);
}

QWidget* SettingsRulesTab::makeAutoHideSection() {
    auto* section = new QWidget(this);
    auto* column = new QVBoxLayout(section);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);
    auto* line = new QHBoxLayout;
    line->setSpacing(8);
    autoHide_ = new QCheckBox(QStringLiteral("Hide panels while focused"), section);
    connect(autoHide_, &QCheckBox::toggled, this, [this](bool on) { view_->setHidePanels(on); });
    line->addWidget(autoHide_);
    line->addStretch();
    option_ = new QComboBox(section);
    option_->setObjectName(QStringLiteral("autoHideOptionPicker"));
    option_->setFixedWidth(146);
    for (auto choice : settings::allPanelChoices) {
        option_->addItem(QString::fromStdString(view_->choiceLabel(choice)));
    }
    connect(option_, &QComboBox::activated, this, [this](int i) {
        view_->selectPanels(settings::allPanelChoices[static_cast<std::size_t>(i)]);
    });
    line->addWidget(option_);
    column->addLayout(line);

    // The line keeps its height whether or not it shows anything.
    permissionLine_ = new QStackedWidget(section);
    permissionLine_->setFixedHeight(20);
    permissionLine_->addWidget(new QWidget(permissionLine_));
    auto* required = new QWidget(permissionLine_);
    auto* requiredRow = new QHBoxLayout(required);
    requiredRow->setContentsMargins(0, 0, 0, 0);
    requiredRow->setSpacing(4);
    requiredRow->addWidget(
        makeSecondaryLabel(QString::fromUtf8(sw::RulesView::panelsSilentText), required));
    auto* grant = new QPushButton(QString::fromUtf8(sw::RulesView::retryTitle), required);
    grant->setObjectName(QStringLiteral("retryPanelSettings"));
    grant->setFlat(true);
    grant->setCursor(Qt::PointingHandCursor);
    paintText(grant, QPalette::Link);
    connect(grant, &QPushButton::clicked, this, [this] { view_->pressRetry(); });
    requiredRow->addWidget(grant);
    requiredRow->addStretch();
    permissionLine_->addWidget(required);
    grantedButton_ =
        new QPushButton(QString::fromUtf8(sw::RulesView::panelsAnsweredText), permissionLine_);
    grantedButton_->setFlat(true);
    grantedButton_->setLayoutDirection(Qt::RightToLeft);  // the symbol after the text
    grantedButton_->setIcon(themedIcon("object-select", QStyle::SP_DialogApplyButton));
    paintText(grantedButton_, QPalette::Link);
    connect(grantedButton_, &QPushButton::clicked, this, [this] { view_->pressRetry(); });
    permissionLine_->addWidget(grantedButton_);
    column->addWidget(permissionLine_, 0, Qt::AlignLeft);
    return section;
}

QWidget* SettingsRulesTab::makeDisplaySection() {
    auto* section = new QWidget(this);
    auto* column = new QVBoxLayout(section);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(12);
    column->addWidget(new QLabel(QStringLiteral("Multi-display behavior"), section));
    perScreen_ = new QRadioButton(QStringLiteral("Highlight one window per screen"), section);
    global_ = new QRadioButton(QStringLiteral("Highlight one window globally"), section);
    connect(perScreen_, &QRadioButton::clicked, this, [this] { view_->selectSingleMode(false); });
    connect(global_, &QRadioButton::clicked, this, [this] { view_->selectSingleMode(true); });
    auto* radios = new QVBoxLayout;
    radios->setSpacing(6);
    radios->addWidget(perScreen_);
    radios->addWidget(global_);
    column->addLayout(radios);
    return section;
}

QWidget* SettingsRulesTab::makeExcludedSection() {
    auto* section = new QWidget(this);
    auto* column = new QVBoxLayout(section);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);
    auto* header = new QHBoxLayout;
    header->addWidget(new QLabel(QStringLiteral("Excluded apps"), section));
    auto* add = new QToolButton(section);
    add->setIcon(themedIcon("list-add", QStyle::SP_FileDialogNewFolder));
    add->setFixedSize(24, 22);
    add->setToolTip(QStringLiteral("Add application"));
    connect(add, &QToolButton::clicked, this, &SettingsRulesTab::chooseApplication);
    header->addWidget(add);
    header->addStretch();
    header->addWidget(
        makeSecondaryLabel(QStringLiteral("Hide overlay when using these apps"), section));
    column->addLayout(header);
    excludedRows_ = new QVBoxLayout;
    excludedRows_->setContentsMargins(4, 0, 0, 0);
    excludedRows_->setSpacing(0);
    column->addLayout(excludedRows_);
    return section;
}

void SettingsRulesTab::chooseApplication() {
    const auto& running = services_.hooks.runningApplicationIds;
    auto* dialog = new AppPickerDialog(services_.catalog,
                                       running ? running() : std::vector<std::string>{}, window());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // Not blocking the window, as the file panel it replaces did not.
    connect(dialog, &QDialog::accepted, this, [this, dialog] {
        const QString location = dialog->chosenLocation();
        if (!location.isEmpty()) view_->addApplication(location.toStdString());
    });
    dialog->open();
}

void SettingsRulesTab::rebuildExcludedList() {
    QStringList ids;
    for (const auto& app : view_->excludedApps()) ids << QString::fromStdString(app.appId);
    if (ids == shownExcluded_) return;
    shownExcluded_ = ids;
    while (QLayoutItem* item = excludedRows_->takeAt(0)) {
        // A row's own remove button may be the one reporting this change.
        if (QWidget* w = item->widget()) {
            w->hide();
            w->deleteLater();
        }
        delete item;
    }
    for (const auto& app : view_->excludedApps()) {
        auto* row = new QWidget(this);
        auto* line = new QHBoxLayout(row);
        line->setContentsMargins(0, 4, 0, 4);
        auto* icon = new QLabel(row);
        icon->setPixmap(applicationIcon(QString::fromStdString(app.icon)).pixmap(20, 20));
        line->addWidget(icon);
        line->addWidget(new QLabel(QString::fromStdString(app.name), row));
        line->addStretch();
        auto* remove = new QToolButton(row);
        remove->setAutoRaise(true);
        remove->setIcon(themedIcon("list-remove", QStyle::SP_DialogCancelButton));
        remove->setToolTip(QStringLiteral("Remove %1").arg(QString::fromStdString(app.name)));
        const std::string id = app.appId;
        connect(remove, &QToolButton::clicked, this, [this, id] { view_->removeApplication(id); });
        line->addWidget(remove);
        excludedRows_->addWidget(row);
    }
}

void SettingsRulesTab::refresh() {
    const auto s = view_->state();
    {
        const QSignalBlocker b1(autoHide_), b2(option_);
        autoHide_->setChecked(s.hidePanels);
        option_->setCurrentIndex(static_cast<int>(s.panels));
    }
    option_->setEnabled(s.hidePanels);
    permissionLine_->setCurrentIndex(!s.hidePanels ? 0 : (s.panelsAnswer ? 2 : 1));
    perScreen_->setChecked(!s.singleMode);
    global_->setChecked(s.singleMode);
    rebuildExcludedList();
}

}  // namespace quorvel::qt
