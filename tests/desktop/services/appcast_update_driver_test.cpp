#include "qt/appcast_update_driver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/log.h"
#include "feed_server.h"
#include "spin_until.h"

namespace quorvel::qt {
namespace {

using quorvel::testing::FeedServer;
using quorvel::testing::spinUntil;
using namespace std::chrono_literals;

QByteArray appcast(const QByteArray& items) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
           "<rss version=\"2.0\" "
           "xmlns:sparkle=\"http://www.andymatuschak.org/xml-namespaces/sparkle\">"
           "<channel><title>Quorvel</title>" +
           items + "</channel></rss>";
}

QByteArray item(const char* version, const char* shortVersion) {
    return QByteArray("<item><title>Quorvel ") + shortVersion +
           "</title><link>https://example.test/releases/" + shortVersion +
           "</link><sparkle:version>" + version + "</sparkle:version><sparkle:shortVersionString>" +
           shortVersion +
           "</sparkle:shortVersionString><sparkle:releaseNotesLink>https://example.test/notes/" +
           shortVersion +
           "</sparkle:releaseNotesLink><enclosure url=\"https://example.test/quorvel.tar.gz\" "
           "length=\"1\" type=\"application/octet-stream\"/></item>";
}

struct Events final : ports::UpdateDriverEvents {
    void willScheduleUpdateCheck(double delay) override { scheduled.push_back(delay); }
    void updateCheckStarted() override { log.push_back("started"); }
    void updateCheckFinished(bool succeeded) override {
        log.push_back(succeeded ? "finished" : "failed");
        ++finished;
    }
    void updateFound(const ports::UpdateInfo& u, bool user, bool driverShows) override {
        log.push_back(std::string("found ") + u.displayVersion + (user ? " user" : " scheduled") +
                      (driverShows ? " shown" : " left"));
        found.push_back(u);
    }
    void userDidAttendToUpdate(const ports::UpdateInfo&) override { log.push_back("attended"); }
    void updateSessionWillFinish() override { log.push_back("session ended"); }

    std::vector<std::string> log;
    std::vector<ports::UpdateInfo> found;
    std::vector<double> scheduled;
    int finished = 0;
};

struct Presenter final : UpdatePresenter {
    void showUpdate(const ports::UpdateInfo& u, std::function<void()> closed) override {
        shown.push_back("update " + u.displayVersion);
        close = std::move(closed);
    }
    void showUpToDate(const std::string& v) override { shown.push_back("up to date " + v); }
    void showFailure(const UpdateFailure& f) override { shown.push_back(f.message()); }
    std::vector<std::string> shown;
    std::function<void()> close;
};

class AppcastDriverTest : public ::testing::Test {
protected:
    std::unique_ptr<AppcastUpdateDriver> makeDriver(const QUrl& feed,
                                                    std::chrono::milliseconds timeout = 15s) {
        AppcastUpdateDriver::Options options;
        options.feedURL = feed;
        options.currentVersion = "1.2.0";
        options.timeout = timeout;
        auto p = std::make_unique<Presenter>();
        presenter = p.get();
        auto driver = std::make_unique<AppcastUpdateDriver>(options, std::move(p));
        driver->setEventHandler(&events);
        return driver;
    }
    bool runCheck(AppcastUpdateDriver& driver, bool user) {
        driver.checkForUpdates(user);
        return spinUntil([&] { return events.finished == 1; });
    }

    Events events;
    Presenter* presenter = nullptr;
    core::LogCapture log;
};

TEST_F(AppcastDriverTest, ScheduledCheckFindsTheNewestNewerRelease) {
    FeedServer server(
        FeedServer::Mode::Answer,
        appcast(item("1.10.0", "1.10") + item("1.3.0", "1.3") + item("1.9.0", "1.9")));
    auto driver = makeDriver(server.url());
    ASSERT_TRUE(runCheck(*driver, false));
    EXPECT_EQ(events.log,
              (std::vector<std::string>{"started", "found 1.10 scheduled left", "finished"}));
    ASSERT_EQ(events.found.size(), 1u);
    EXPECT_EQ(events.found[0].version, "1.10.0");
    EXPECT_EQ(events.found[0].releaseNotesLink, "https://example.test/notes/1.10");
    EXPECT_EQ(events.found[0].downloadLink, "https://example.test/releases/1.10");
    EXPECT_TRUE(presenter->shown.empty()) << "scheduled findings are the application's to show";
    EXPECT_TRUE(log.lines().empty());
}

TEST_F(AppcastDriverTest, ServerThatNeverAnswersTimesOut) {
    FeedServer server(FeedServer::Mode::Silent);
    auto driver = makeDriver(server.url(), 300ms);
    ASSERT_TRUE(runCheck(*driver, false));
    EXPECT_EQ(server.requests(), 1);
    EXPECT_EQ(log.lines(), std::vector<std::string>{
                               "⚠️ Update check failed: no answer from the feed within 0.3 s"});
    EXPECT_FALSE(driver->isChecking());
}

TEST_F(AppcastDriverTest, FailedUserCheckIsNoSuccessAndNamesItsReason) {
    struct Case {
        const char* name;
        QByteArray body;
        int status;
        const char* says;
    };
    const Case cases[] = {
        {"missing feed", "gone", 404,
         "The update feed was not found (the feed answered HTTP 404)."},
        {"not a feed", "<html><body>hello</body></html>", 200,
         "The update feed is malformed and could not be read (the document is not an RSS feed)."},
        {"truncated feed", appcast(item("1.3.0", "1.3")).left(120), 200,
         "The update feed is malformed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        events = Events{};
        FeedServer server(FeedServer::Mode::Answer, c.body, c.status);
        auto driver = makeDriver(server.url());
        ASSERT_TRUE(runCheck(*driver, true));
        EXPECT_EQ(events.log, (std::vector<std::string>{"started", "failed"}));
        ASSERT_EQ(presenter->shown.size(), 1u);
        EXPECT_EQ(presenter->shown[0].rfind(c.says, 0), 0u) << presenter->shown[0];
    }
}

TEST(AppcastFailure, UnreachableFeedReadsAsOffline) {
    using Kind = UpdateFailure::Kind;
    EXPECT_EQ(UpdateFailure::kindOf(QNetworkReply::HostNotFoundError, 0), Kind::offline);
    EXPECT_EQ(UpdateFailure::kindOf(QNetworkReply::TemporaryNetworkFailureError, 0), Kind::offline);
    EXPECT_EQ(UpdateFailure::kindOf(QNetworkReply::ContentNotFoundError, 404), Kind::notFound);
    EXPECT_EQ(UpdateFailure::kindOf(QNetworkReply::SslHandshakeFailedError, 0), Kind::other);
    EXPECT_NE((UpdateFailure{Kind::offline, "x"}.message().find("offline")), std::string::npos);
}

TEST(AppcastFeedAddress, OnlyHttpsOrThisMachine) {
    struct Case {
        const char* url;
        bool allowed;
    };
    const Case cases[] = {
        {"https://updates.example.test/appcast.xml", true},
        {"http://127.0.0.1:8080/a.xml", true},
        {"http://localhost/a.xml", true},
        {"http://[::1]:99/a.xml", true},
        {"http://updates.example.test/appcast.xml", false},
        {"http://127.0.0.1.example.test/", false},
        {"file:///etc/passwd", false},
        {"", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AppcastUpdateDriver::isAllowedFeedURL(QUrl(c.url)), c.allowed) << c.url;
    }
    EXPECT_TRUE(AppcastUpdateDriver::isAllowedFeedURL(AppcastUpdateDriver::defaultFeedURL()));
}

TEST(AppcastParsing, ReadsVersionsFromElementsOrTheEnclosure) {
    const QByteArray feed = appcast(
        "<item><enclosure url=\"https://example.test/q.tar.gz\" sparkle:version=\"3.1\" "
        "sparkle:shortVersionString=\"3.1 beta\"/></item>"
        "<item><sparkle:version>4.0</sparkle:version><sparkle:channel>beta</sparkle:channel></item>"
        "<item><title>no version</title></item>"
        "<item><sparkle:version>2.0</sparkle:version><link>javascript:alert(1)</link></item>");
    auto parsed = AppcastUpdateDriver::parseAppcast(feed);
    ASSERT_TRUE(std::holds_alternative<std::vector<ports::UpdateInfo>>(parsed));
    const auto& items = std::get<std::vector<ports::UpdateInfo>>(parsed);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0],
              (ports::UpdateInfo{"3.1", "3.1 beta", "", "https://example.test/q.tar.gz"}));
    EXPECT_EQ(items[1], (ports::UpdateInfo{"2.0", "2.0", "", ""}));
}

}  // namespace
}  // namespace quorvel::qt
