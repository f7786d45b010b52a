#include "qt/appcast_update_driver.h"

#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QXmlStreamReader>

#include "core/log.h"
#include "qt/update_dialog.h"
#include "services/version_comparison.h"

#ifndef QUORVEL_UPDATE_FEED_URL
#define QUORVEL_UPDATE_FEED_URL "https://quorvel.app/appcast.xml"
#endif

namespace quorvel::qt {

namespace {

constexpr auto kSparkleNamespace = "http://www.andymatuschak.org/xml-namespaces/sparkle";

bool isWebLink(const QString& text) {
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    return url.isValid() && (url.scheme() == "https" || url.scheme() == "http") &&
           !url.host().isEmpty();
}

QString webLinkOrEmpty(const QString& text) {
    return isWebLink(text) ? text.trimmed() : QString();
}

struct ItemFields {
    QString version, shortVersion, releaseNotes, link, enclosureURL;
    QString enclosureVersion, enclosureShortVersion;
    bool hasChannel = false;
};

bool isSparkle(const QXmlStreamReader& xml, QLatin1StringView name) {
    return xml.namespaceUri() == QLatin1StringView(kSparkleNamespace) && xml.name() == name;
}

// Reads one <item> up to its end element.
ItemFields readItem(QXmlStreamReader& xml) {
    ItemFields f;
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1StringView("enclosure") && xml.namespaceUri().isEmpty()) {
            const auto attrs = xml.attributes();
            f.enclosureURL = attrs.value("url").toString();
            f.enclosureVersion = attrs.value(kSparkleNamespace, "version").toString();
            f.enclosureShortVersion =
                attrs.value(kSparkleNamespace, "shortVersionString").toString();
            xml.skipCurrentElement();
        } else if (xml.name() == QLatin1StringView("link") && xml.namespaceUri().isEmpty()) {
            f.link = xml.readElementText();
        } else if (isSparkle(xml, QLatin1StringView("version"))) {
            f.version = xml.readElementText();
        } else if (isSparkle(xml, QLatin1StringView("shortVersionString"))) {
            f.shortVersion = xml.readElementText();
        } else if (isSparkle(xml, QLatin1StringView("releaseNotesLink"))) {
            f.releaseNotes = xml.readElementText();
        } else if (isSparkle(xml, QLatin1StringView("channel"))) {
            f.hasChannel = true;
            xml.skipCurrentElement();
        } else {
            xml.skipCurrentElement();
        }
    }
    return f;
}

std::optional<ports::UpdateInfo> toUpdate(const ItemFields& f) {
    // Releases on a named channel (betas) are not offered to everyone.
    if (f.hasChannel) return std::nullopt;
    const QString version = (f.version.isEmpty() ? f.enclosureVersion : f.version).trimmed();
    if (version.isEmpty()) return std::nullopt;
    QString shortVersion = (f.shortVersion.isEmpty() ? f.enclosureShortVersion : f.shortVersion);
    shortVersion = shortVersion.trimmed();
    ports::UpdateInfo info;
    info.version = version.toStdString();
    info.displayVersion = (shortVersion.isEmpty() ? version : shortVersion).toStdString();
    info.releaseNotesLink = webLinkOrEmpty(f.releaseNotes).toStdString();
    // The release page suits a desktop better than a bare download.
    const QString page = webLinkOrEmpty(f.link);
    info.downloadLink = (page.isEmpty() ? webLinkOrEmpty(f.enclosureURL) : page).toStdString();
    return info;
}

std::string megabytes(qint64 bytes) {
    if (bytes % (1 << 20) == 0) return std::to_string(bytes >> 20) + " MiB";
    return std::to_string(bytes) + " bytes";
}

UpdateFailure tooLarge(qint64 maxBytes) {
    return {UpdateFailure::Kind::malformedFeed, "the feed is larger than " + megabytes(maxBytes)};
}

}  // namespace

std::string UpdateFailure::message() const {
    switch (kind) {
        case Kind::offline:
            return "Quorvel could not reach the update feed. This computer seems to be offline (" +
                   detail + ").";
        case Kind::notFound:
            return "The update feed was not found (" + detail + ").";
        case Kind::malformedFeed:
            return "The update feed is malformed and could not be read (" + detail + ").";
        case Kind::other:
            break;
    }
    return "Quorvel could not check for updates (" + detail + ").";
}

UpdateFailure::Kind UpdateFailure::kindOf(QNetworkReply::NetworkError error, int httpStatus) {
    if (httpStatus == 404 || httpStatus == 410) return Kind::notFound;
    switch (error) {
        case QNetworkReply::HostNotFoundError:
        case QNetworkReply::TimeoutError:
        case QNetworkReply::TemporaryNetworkFailureError:
        case QNetworkReply::NetworkSessionFailedError:
        case QNetworkReply::UnknownNetworkError:
            return Kind::offline;
        case QNetworkReply::ContentNotFoundError:
        case QNetworkReply::ContentGoneError:
            return Kind::notFound;
        default:
            return Kind::other;
    }
}

AppcastUpdateDriver::AppcastUpdateDriver(Options options,
                                         std::unique_ptr<UpdatePresenter> presenter)
    : options_(std::move(options)),
      presenter_(std::move(presenter)),
      network_(new QNetworkAccessManager(this)) {
    scheduleTimer_.setSingleShot(true);
    timeoutTimer_.setSingleShot(true);
    connect(&scheduleTimer_, &QTimer::timeout, this, [this] {
        checkForUpdates(false);
        scheduleNext(options_.checkInterval);
    });
    connect(&timeoutTimer_, &QTimer::timeout, this, [this] {
        const auto seconds = std::chrono::duration<double>(options_.timeout).count();
        char text[64];
        std::snprintf(text, sizeof text, "no answer from the feed within %g s", seconds);
        abortCheck({UpdateFailure::Kind::offline, text});
    });
}

AppcastUpdateDriver::~AppcastUpdateDriver() {
    handler_ = nullptr;
    if (reply_) {
        reply_->disconnect(this);
        reply_->abort();
    }
}

void AppcastUpdateDriver::start() {
    started_ = true;
    if (options_.automaticChecks) scheduleNext(options_.firstCheckDelay);
}

void AppcastUpdateDriver::setAutomaticallyChecksForUpdates(bool on) {
    if (options_.automaticChecks == on) return;
    options_.automaticChecks = on;
    if (!on) {
        scheduleTimer_.stop();
    } else if (started_) {
        scheduleNext(options_.firstCheckDelay);
    }
}

void AppcastUpdateDriver::scheduleNext(std::chrono::milliseconds delay) {
    if (handler_) handler_->willScheduleUpdateCheck(std::chrono::duration<double>(delay).count());
    scheduleTimer_.start(delay);
}

std::optional<std::string> AppcastUpdateDriver::feedURL() const {
    if (!options_.feedURL.isValid() || options_.feedURL.isEmpty()) return std::nullopt;
    return options_.feedURL.toString(QUrl::FullyEncoded).toStdString();
}

double AppcastUpdateDriver::updateCheckInterval() const {
    return std::chrono::duration<double>(options_.checkInterval).count();
}

QUrl AppcastUpdateDriver::defaultFeedURL() {
    return QUrl(QStringLiteral(QUORVEL_UPDATE_FEED_URL));
}

bool AppcastUpdateDriver::isAllowedFeedURL(const QUrl& url) {
    if (!url.isValid() || url.host().isEmpty()) return false;
    if (url.scheme() == "https") return true;
    if (url.scheme() != "http") return false;
    const QString host = url.host();
    return host == "localhost" || QHostAddress(host).isLoopback();
}

void AppcastUpdateDriver::checkForUpdates(bool userInitiated) {
    if (reply_) {
        // One check at a time; a user asking during a scheduled one gets its answer.
        userInitiated_ = userInitiated_ || userInitiated;
        return;
    }
    userInitiated_ = userInitiated;
    if (handler_) handler_->updateCheckStarted();
    if (!isAllowedFeedURL(options_.feedURL)) {
        finishCheck(
            UpdateFailure{UpdateFailure::Kind::other,
                          "the feed address \"" + options_.feedURL.toString().toStdString() +
                              "\" is not an HTTPS address"},
            std::nullopt);
        return;
    }
    body_.clear();
    abortReason_.reset();
    QNetworkRequest request(options_.feedURL);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::UserVerifiedRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setHeader(QNetworkRequest::UserAgentHeader,
                      QStringLiteral("Quorvel/") + QString::fromStdString(options_.currentVersion));
    reply_ = network_->get(request);
    connect(reply_, &QNetworkReply::redirected, this, [this](const QUrl& target) {
        if (isAllowedFeedURL(target)) {
            reply_->redirectAllowed();  // a signal: lets the redirect proceed
        } else {
            abortCheck({UpdateFailure::Kind::other,
                        "redirected to the insecure address " + target.toString().toStdString()});
        }
    });
    connect(reply_, &QNetworkReply::metaDataChanged, this, [this] {
        const QVariant length = reply_->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > options_.maxFeedBytes) {
            abortCheck(tooLarge(options_.maxFeedBytes));
        }
    });
    connect(reply_, &QNetworkReply::readyRead, this, &AppcastUpdateDriver::onReadyRead);
    connect(reply_, &QNetworkReply::finished, this, &AppcastUpdateDriver::onFinished);
    timeoutTimer_.start(options_.timeout);
}

void AppcastUpdateDriver::onReadyRead() {
    if (!reply_ || abortReason_) return;
    body_ += reply_->read(options_.maxFeedBytes + 1 - body_.size());
    if (body_.size() > options_.maxFeedBytes) {
        abortCheck(tooLarge(options_.maxFeedBytes));
    }
}

void AppcastUpdateDriver::abortCheck(UpdateFailure reason) {
    if (!reply_ || abortReason_) return;
    abortReason_ = std::move(reason);
    reply_->abort();  // finishes the reply, which ends the check
}

void AppcastUpdateDriver::onFinished() {
    timeoutTimer_.stop();
    QNetworkReply* reply = reply_;
    if (!reply) return;
    reply_ = nullptr;
    reply->disconnect(this);
    reply->deleteLater();
    if (abortReason_) return finishCheck(abortReason_, std::nullopt);
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status != 0 && (status < 200 || status >= 300)) {
        return finishCheck(UpdateFailure{UpdateFailure::kindOf(reply->error(), status),
                                         "the feed answered HTTP " + std::to_string(status)},
                           std::nullopt);
    }
    if (reply->error() != QNetworkReply::NoError) {
        return finishCheck(UpdateFailure{UpdateFailure::kindOf(reply->error(), status),
                                         reply->errorString().toStdString()},
                           std::nullopt);
    }
    body_ += reply->read(options_.maxFeedBytes + 1 - body_.size());
    if (body_.size() > options_.maxFeedBytes) {
        return finishCheck(tooLarge(options_.maxFeedBytes), std::nullopt);
    }
    auto parsed = parseAppcast(body_);
    body_.clear();
    if (auto* error = std::get_if<std::string>(&parsed)) {
        return finishCheck(UpdateFailure{UpdateFailure::Kind::malformedFeed, *error}, std::nullopt);
    }
    const auto& items = std::get<std::vector<ports::UpdateInfo>>(parsed);
    finishCheck(std::nullopt, newestUpdate(items, options_.currentVersion));
}

void AppcastUpdateDriver::finishCheck(const std::optional<UpdateFailure>& failure,
                                      const std::optional<ports::UpdateInfo>& update) {
    const bool user = std::exchange(userInitiated_, false);
    if (failure) core::log("⚠️ Update check failed: " + failure->detail);
    // User checks are shown by this driver; scheduled ones are left to the application.
    if (update && handler_) handler_->updateFound(*update, user, user);
    if (handler_) handler_->updateCheckFinished(!failure);
    if (!user) return;
    if (failure) {
        presenter().showFailure(*failure);
    } else if (update) {
        present(*update);
    } else {
        presenter().showUpToDate(options_.currentVersion);
    }
}

void AppcastUpdateDriver::present(const ports::UpdateInfo& update) {
    QPointer<AppcastUpdateDriver> self(this);
    presenter().showUpdate(update, [self] {
        if (self && self->handler_) self->handler_->updateSessionWillFinish();
    });
    if (handler_) handler_->userDidAttendToUpdate(update);
}

UpdatePresenter& AppcastUpdateDriver::presenter() {
    if (!presenter_) presenter_ = std::make_unique<DialogUpdatePresenter>();
    return *presenter_;
}

std::variant<std::vector<ports::UpdateInfo>, std::string> AppcastUpdateDriver::parseAppcast(
    const QByteArray& data) {
    QXmlStreamReader xml(data);
    if (!xml.readNextStartElement()) {
        if (xml.hasError()) {
            return "line " + std::to_string(xml.lineNumber()) + ": " +
                   xml.errorString().toStdString();
        }
        return std::string("the document is empty");
    }
    if (xml.name() != QLatin1StringView("rss"))
        return std::string("the document is not an RSS feed");
    std::vector<ports::UpdateInfo> items;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1StringView("item") &&
            xml.namespaceUri().isEmpty()) {
            if (auto info = toUpdate(readItem(xml))) items.push_back(std::move(*info));
        }
    }
    if (xml.hasError()) {
        return "line " + std::to_string(xml.lineNumber()) + ": " + xml.errorString().toStdString();
    }
    return items;
}

std::optional<ports::UpdateInfo> AppcastUpdateDriver::newestUpdate(
    const std::vector<ports::UpdateInfo>& items, const std::string& currentVersion) {
    const ports::UpdateInfo* newest = nullptr;
    for (const auto& item : items) {
        if (services::compareVersions(item.version, currentVersion) <= 0) continue;
        if (!newest || services::compareVersions(item.version, newest->version) > 0) newest = &item;
    }
    if (!newest) return std::nullopt;
    return *newest;
}

}  // namespace quorvel::qt
