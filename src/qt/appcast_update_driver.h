#pragma once

#include <QByteArray>
#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <chrono>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "ports/update_driver.h"

#ifndef QUORVEL_CHECK_UPDATES_AUTOMATICALLY
#define QUORVEL_CHECK_UPDATES_AUTOMATICALLY true
#endif

class QNetworkAccessManager;

namespace quorvel::qt {

/// Why a check failed, sorted by what the user can do about it.
struct UpdateFailure {
    enum class Kind { offline, notFound, malformedFeed, other };
    Kind kind = Kind::other;
    std::string detail;  // the technical cause, for the log and the dialog
    /// The sentence the "Update Error!" dialog shows.
    std::string message() const;
    /// The kind a network error belongs to; timeouts and name lookups mean offline.
    static Kind kindOf(QNetworkReply::NetworkError error, int httpStatus);
};

/// Shows what a check found to the user. The driver uses it for user-started
/// checks only; scheduled findings are announced by the application.
class UpdatePresenter {
public:
    virtual ~UpdatePresenter() = default;
    /// Shows the update; `closed` runs once when the user is done with it.
    virtual void showUpdate(const ports::UpdateInfo& update, std::function<void()> closed) = 0;
    virtual void showUpToDate(const std::string& currentVersion) = 0;
    virtual void showFailure(const UpdateFailure& failure) = 0;
};

/// The update mechanism on an appcast feed (RSS 2.0 with Sparkle's version
/// elements) fetched over HTTPS: a first check a few minutes after start, then
/// daily, and checks on request. Everything happens on the thread that created it.
class AppcastUpdateDriver final : public QObject, public ports::UpdateDriver {
public:
    struct Options {
        QUrl feedURL = defaultFeedURL();
        std::string currentVersion = QUORVEL_VERSION;
        std::chrono::milliseconds timeout{15'000};
        qint64 maxFeedBytes = 1 << 20;
        std::chrono::milliseconds firstCheckDelay{std::chrono::minutes(3)};
        std::chrono::milliseconds checkInterval{std::chrono::hours(24)};
        bool automaticChecks = QUORVEL_CHECK_UPDATES_AUTOMATICALLY;
    };

    /// `presenter` shows user-started results; null shows the update dialog.
    explicit AppcastUpdateDriver(Options options, std::unique_ptr<UpdatePresenter> presenter = {});
    ~AppcastUpdateDriver() override;

    /// Starts the automatic schedule (when enabled).
    void start();

    void setEventHandler(ports::UpdateDriverEvents* handler) override { handler_ = handler; }
    void checkForUpdates(bool userInitiated) override;
    std::optional<std::string> feedURL() const override;
    double updateCheckInterval() const override;
    bool automaticallyChecksForUpdates() const override { return options_.automaticChecks; }
    void setAutomaticallyChecksForUpdates(bool on) override;

    bool isChecking() const { return reply_ != nullptr; }

    /// The build's feed address (QUORVEL_UPDATE_FEED_URL).
    static QUrl defaultFeedURL();
    /// HTTPS anywhere; plain HTTP only to this machine.
    static bool isAllowedFeedURL(const QUrl& url);
    /// The feed's releases in document order, or why the feed cannot be read.
    static std::variant<std::vector<ports::UpdateInfo>, std::string> parseAppcast(
        const QByteArray& xml);
    /// The newest release newer than `currentVersion`, if any.
    static std::optional<ports::UpdateInfo> newestUpdate(
        const std::vector<ports::UpdateInfo>& items, const std::string& currentVersion);

private:
    void scheduleNext(std::chrono::milliseconds delay);
    void onReadyRead();
    void onFinished();
    void abortCheck(UpdateFailure reason);
    void finishCheck(const std::optional<UpdateFailure>& failure,
                     const std::optional<ports::UpdateInfo>& update);
    void present(const ports::UpdateInfo& update);
    UpdatePresenter& presenter();

    Options options_;
    std::unique_ptr<UpdatePresenter> presenter_;
    ports::UpdateDriverEvents* handler_ = nullptr;
    QNetworkAccessManager* network_;
    QPointer<QNetworkReply> reply_;
    QByteArray body_;
    std::optional<UpdateFailure> abortReason_;
    bool userInitiated_ = false;
    bool started_ = false;
    QTimer scheduleTimer_;
    QTimer timeoutTimer_;
};

}  // namespace quorvel::qt
