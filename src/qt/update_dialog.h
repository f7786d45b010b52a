#pragma once

#include <QDialog>
#include <QUrl>
#include <functional>

#include "ports/update_driver.h"
#include "qt/appcast_update_driver.h"

class QPushButton;

namespace quorvel::qt {

/// The small window that offers a found update: what it is, a link to its
/// release notes, "Download" (opens the release page) and "Later".
class UpdateDialog final : public QDialog {
public:
    using UrlOpener = std::function<void(const QUrl&)>;

    /// `openUrl` opens links; the default hands them to the desktop's browser.
    UpdateDialog(const ports::UpdateInfo& update, const std::string& currentVersion,
                 UrlOpener openUrl = {}, QWidget* parent = nullptr);

    QPushButton* downloadButton() const { return download_; }
    QPushButton* laterButton() const { return later_; }

private:
    void openLink(const std::string& link);

    UrlOpener openUrl_;
    QPushButton* download_ = nullptr;
    QPushButton* later_ = nullptr;
};

/// Shows the results of user-started checks in dialogs.
class DialogUpdatePresenter final : public UpdatePresenter {
public:
    explicit DialogUpdatePresenter(std::string currentVersion = QUORVEL_VERSION)
        : currentVersion_(std::move(currentVersion)) {}

    void showUpdate(const ports::UpdateInfo& update, std::function<void()> closed) override;
    void showUpToDate(const std::string& currentVersion) override;
    void showFailure(const UpdateFailure& failure) override;

private:
    std::string currentVersion_;
};

}  // namespace quorvel::qt
