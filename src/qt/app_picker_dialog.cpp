#include "qt/app_picker_dialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>
#include <string>
#include <vector>

namespace quorvel::qt {

namespace {
constexpr int kLocationRole = Qt::UserRole + 1;
constexpr int kMenuHiddenRole = Qt::UserRole + 2;  // NoDisplay: listed only when searched for

QString nameOf(const ports::DesktopEntry& e) {
    return QString::fromStdString(e.localizedName.value_or(e.name.value_or(e.location)));
}

// Running applications first, front first; then by name.
void sortForPicking(std::vector<ports::DesktopEntry>& entries,
                    const std::vector<std::string>& runningIds) {
    const auto rank = [&](const ports::DesktopEntry& e) {
        const auto it =
            e.id ? std::find(runningIds.begin(), runningIds.end(), *e.id) : runningIds.end();
        return it - runningIds.begin();
    };
    std::stable_sort(entries.begin(), entries.end(), [&](const auto& a, const auto& b) {
        if (rank(a) != rank(b)) return rank(a) < rank(b);
        return nameOf(a).compare(nameOf(b), Qt::CaseInsensitive) < 0;
    });
}
}  // namespace

QIcon applicationIcon(const QString& icon) {
    if (!icon.isEmpty() && QFileInfo(icon).isAbsolute()) return QIcon(icon);
    QIcon themed = icon.isEmpty() ? QIcon() : QIcon::fromTheme(icon);
    if (themed.isNull()) themed = QIcon::fromTheme(QStringLiteral("application-x-executable"));
    if (themed.isNull()) themed = QApplication::style()->standardIcon(QStyle::SP_FileIcon);
    return themed;
}

AppPickerDialog::AppPickerDialog(const ports::AppCatalog& catalog,
                                 const std::vector<std::string>& runningIds, QWidget* parent)
    : QDialog(parent), search_(new QLineEdit(this)), list_(new QListWidget(this)) {
    setWindowTitle(QStringLiteral("Choose Application"));
    resize(380, 460);
    search_->setPlaceholderText(QStringLiteral("Search"));
    search_->setClearButtonEnabled(true);
    list_->setIconSize(QSize(24, 24));

    catalog.rescan();  // an application installed since the last look is listed
    auto entries = catalog.installedApplications();
    sortForPicking(entries, runningIds);
    for (const auto& entry : entries) {
        auto* item = new QListWidgetItem(applicationIcon(QString::fromStdString(entry.icon)),
                                         nameOf(entry), list_);
        item->setData(kLocationRole, QString::fromStdString(entry.location));
    }
    auto hidden = catalog.hiddenApplications();
    sortForPicking(hidden, {});
    for (const auto& entry : hidden) {
        auto* item = new QListWidgetItem(applicationIcon(QString::fromStdString(entry.icon)),
                                         nameOf(entry), list_);
        item->setData(kLocationRole, QString::fromStdString(entry.location));
        item->setData(kMenuHiddenRole, true);
        item->setHidden(true);
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    auto* choose = buttons->addButton(QStringLiteral("Choose"), QDialogButtonBox::AcceptRole);
    choose->setDefault(true);
    choose->setEnabled(false);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(list_, &QListWidget::currentItemChanged, this,
            [choose](QListWidgetItem* current) { choose->setEnabled(current != nullptr); });
    connect(list_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    connect(search_, &QLineEdit::textChanged, this, &AppPickerDialog::filter);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(search_);
    layout->addWidget(list_);
    layout->addWidget(buttons);
}

void AppPickerDialog::filter(const QString& text) {
    for (int i = 0; i < list_->count(); ++i) {
        QListWidgetItem* item = list_->item(i);
        const bool menuHidden = item->data(kMenuHiddenRole).toBool();
        item->setHidden((menuHidden && text.trimmed().isEmpty()) ||
                        !item->text().contains(text.trimmed(), Qt::CaseInsensitive));
    }
}

QString AppPickerDialog::chosenLocation() const {
    const QListWidgetItem* item = list_->currentItem();
    if (result() != QDialog::Accepted || !item || item->isHidden()) return {};
    return item->data(kLocationRole).toString();
}

}  // namespace quorvel::qt
