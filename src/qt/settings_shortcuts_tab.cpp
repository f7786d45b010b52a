#include "qt/settings_shortcuts_tab.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "qt/settings_widgets.h"
#include "qt/shortcut_recorder_widget.h"

namespace quorvel::qt {

namespace sw = settings_window;

SettingsShortcutsTab::SettingsShortcutsTab(sw::SettingsWindowServices& services, QWidget* parent)
    : QWidget(parent), view_(std::make_unique<sw::ShortcutsView>(services)) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(12);
    for (auto row : sw::allShortcutRows) {
        if (row != sw::ShortcutRow::toggle) column->addWidget(makeDivider(this));
        column->addWidget(makeRow(row));
    }
    column->addStretch();
    connection_ = view_->changed.connect([this] { refresh(); });
    refresh();
}

SettingsShortcutsTab::~SettingsShortcutsTab() = default;

QWidget* SettingsShortcutsTab::makeRow(sw::ShortcutRow row) {
    const auto i = static_cast<std::size_t>(row);
    auto* holder = new QWidget(this);
    holder->setAttribute(Qt::WA_Hover);
    holder->installEventFilter(this);
    auto* column = new QVBoxLayout(holder);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(4);
    auto* line = new QHBoxLayout;
    line->addWidget(new QLabel(QString::fromUtf8(sw::rowTitle(row).data()), holder));
    line->addStretch();
    // The recorder and the trash slot share an area of at least 110 points.
    auto* area = new QWidget(holder);
    area->setMinimumWidth(110);
    auto* areaRow = new QHBoxLayout(area);
    areaRow->setContentsMargins(0, 0, 0, 0);
    areaRow->setSpacing(4);
    recorders_[i] = new ShortcutRecorderWidget(*view_, row, area);
    areaRow->addWidget(recorders_[i]);
    trash_[i] = new QToolButton(area);
    trash_[i]->setAutoRaise(true);
    trash_[i]->setFixedSize(20, 20);
    trash_[i]->setIcon(themedIcon("user-trash", QStyle::SP_TrashIcon));
    trash_[i]->setToolTip(QStringLiteral("Clear shortcut"));
    QSizePolicy keep = trash_[i]->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    trash_[i]->setSizePolicy(keep);
    connect(trash_[i], &QToolButton::clicked, this, [this, row] { view_->trash(row); });
    areaRow->addWidget(trash_[i]);
    areaRow->addStretch();
    line->addWidget(area);
    column->addLayout(line);
    column->addWidget(makeSecondaryLabel(QString::fromUtf8(sw::rowCaption(row).data()), holder));
    // Why the shortcut does nothing, so a failed grab stays visible after the
    // one desktop notification is gone.
    problems_[i] = new QLabel(holder);
    problems_[i]->setObjectName(QStringLiteral("shortcutProblem"));
    problems_[i]->setStyleSheet(QStringLiteral("color: #d93025;"));
    problems_[i]->setWordWrap(true);
    column->addWidget(problems_[i]);
    rows_[i] = holder;
    return holder;
}

bool SettingsShortcutsTab::eventFilter(QObject* watched, QEvent* event) {
    const bool enter = event->type() == QEvent::Enter;
    if (enter || event->type() == QEvent::Leave) {
        for (auto row : sw::allShortcutRows) {
            if (rows_[static_cast<std::size_t>(row)] == watched) view_->setHovered(row, enter);
        }
    }
    return QWidget::eventFilter(watched, event);
}

void SettingsShortcutsTab::refresh() {
    int width = 0;
    for (auto* recorder : recorders_) {
        recorder->refresh();
        width = std::max(width, recorder->width());
    }
    for (auto row : sw::allShortcutRows) {
        const auto i = static_cast<std::size_t>(row);
        recorders_[i]->setFixedWidth(width);  // one column, however long each label
        trash_[i]->setVisible(view_->showsTrash(row));
        const std::string problem = view_->problem(row);
        problems_[i]->setText(QStringLiteral("⚠ ") + QString::fromStdString(problem));
        problems_[i]->setVisible(!problem.empty());
    }
}

}  // namespace quorvel::qt
