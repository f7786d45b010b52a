#include "qt/update_dialog.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/log.h"

namespace quorvel::qt {

namespace {

void showMessage(QMessageBox::Icon icon, const QString& title, const QString& text) {
    auto* box = new QMessageBox(icon, title, text, QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->show();
    box->raise();
    box->activateWindow();
}

}  // namespace

UpdateDialog::UpdateDialog(const ports::UpdateInfo& update, const std::string& currentVersion,
                           UrlOpener openUrl, QWidget* parent)
    : QDialog(parent), openUrl_(std::move(openUrl)) {
    if (!openUrl_) openUrl_ = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    setWindowTitle(tr("Software Update"));
    auto* layout = new QVBoxLayout(this);

    auto* headline = new QLabel(tr("A new version of Quorvel is available!"), this);
    QFont bold = headline->font();
    bold.setBold(true);
    headline->setFont(bold);
    layout->addWidget(headline);
    layout->addWidget(new QLabel(tr("Quorvel %1 is available. You have %2.")
                                     .arg(QString::fromStdString(update.displayVersion),
                                          QString::fromStdString(currentVersion)),
                                 this));

    if (!update.releaseNotesLink.empty()) {
        auto* notes =
            new QLabel(QStringLiteral("<a href=\"notes\">%1</a>").arg(tr("Release notes")), this);
        notes->setObjectName("releaseNotes");
        notes->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
        const std::string link = update.releaseNotesLink;
        connect(notes, &QLabel::linkActivated, this, [this, link] { openLink(link); });
        layout->addWidget(notes);
    }

    auto* buttons = new QDialogButtonBox(this);
    download_ = buttons->addButton(tr("Download"), QDialogButtonBox::AcceptRole);
    later_ = buttons->addButton(tr("Later"), QDialogButtonBox::RejectRole);
    download_->setDefault(true);
    download_->setEnabled(!update.downloadLink.empty());
    const std::string page = update.downloadLink;
    connect(download_, &QPushButton::clicked, this, [this, page] {
        openLink(page);
        accept();
    });
    connect(later_, &QPushButton::clicked, this, &QDialog::reject);
    layout->addWidget(buttons);
}

void UpdateDialog::openLink(const std::string& link) {
    core::log("🌐 Opening " + link);
    openUrl_(QUrl(QString::fromStdString(link)));
}

void DialogUpdatePresenter::showUpdate(const ports::UpdateInfo& update,
                                       std::function<void()> closed) {
    auto* dialog = new UpdateDialog(update, currentVersion_);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(dialog, &QDialog::finished, dialog, [closed = std::move(closed)](int) {
        if (closed) closed();
    });
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

void DialogUpdatePresenter::showUpToDate(const std::string& currentVersion) {
    showMessage(QMessageBox::Information, QObject::tr("You're up to date!"),
                QObject::tr("Quorvel %1 is currently the newest version available.")
                    .arg(QString::fromStdString(currentVersion)));
}

void DialogUpdatePresenter::showFailure(const UpdateFailure& failure) {
    showMessage(QMessageBox::Warning, QObject::tr("Update Error!"),
                QString::fromStdString(failure.message()));
}

}  // namespace quorvel::qt
