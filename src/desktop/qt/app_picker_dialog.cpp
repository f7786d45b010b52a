#include "desktop/qt/app_picker_dialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

namespace quorvel::qt {

namespace {
constexpr int kLocationRole = Qt::UserRole + 1;
}

QIcon applicationIcon(const QString& icon) {
    if (!icon.isEmpty() && QFileInfo(icon).isAbsolute()) return QIcon(icon);
    QIcon themed = icon.isEmpty() ? QIcon() : QIcon::fromTheme(icon);
    if (themed.isNull()) themed = QIcon::fromTheme(QStringLiteral("application-x-executable"));
    if (themed.isNull()) themed = QApplication::style()->standardIcon(QStyle::SP_FileIcon);
    return themed;
}

AppPickerDialog::AppPickerDialog(const platform::AppCatalog& catalog, QWidget* parent)
    : QDialog(parent), search_(new QLineEdit(this)), list_(new QListWidget(this)) {
    setWindowTitle(QStringLiteral("Choose Application"));
    resize(380, 460);
    search_->setPlaceholderText(QStringLiteral("Search"));
    search_->setClearButtonEnabled(true);
    list_->setIconSize(QSize(24, 24));

    auto entries = catalog.installedApplications();
    auto nameOf = [](const platform::DesktopEntry& e) {
        return QString::fromStdString(e.localizedName.value_or(e.name.value_or(e.location)));
    };
    std::sort(entries.begin(), entries.end(), [&](const auto& a, const auto& b) {
        return nameOf(a).compare(nameOf(b), Qt::CaseInsensitive) < 0;
    });
    for (const auto& entry : entries) {
        auto* item = new QListWidgetItem(applicationIcon(QString::fromStdString(entry.icon)),
                                         nameOf(entry), list_);
        item->setData(kLocationRole, QString::fromStdString(entry.location));
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
        item->setHidden(!item->text().contains(text, Qt::CaseInsensitive));
    }
}

QString AppPickerDialog::chosenLocation() const {
    const QListWidgetItem* item = list_->currentItem();
    if (result() != QDialog::Accepted || !item || item->isHidden()) return {};
    return item->data(kLocationRole).toString();
}

}  // namespace quorvel::qt
