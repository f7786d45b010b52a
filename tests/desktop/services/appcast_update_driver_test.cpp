#include "qt/appcast_update_driver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <QLabel>
#include <QPushButton>

#include "core/log.h"
#include "feed_server.h"
#include "qt/update_dialog.h"
#include "spin_until.h"

namespace quorvel::qt {
namespace {

using quorvel::testing::FeedServer;
using quorvel::testing::spinUntil;
using namespace std::chrono_literals;

QByteArray appcast(const QByteArray& items) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<rss version=\"2.0\" "
           "xmlns:sparkle=\"http://www.andymatuschak.org/xml-namespaces/sparkle\">"
           "<channel><title>Quorvel</title>" +
           items + "</channel></rss>";
}

QByteArray item(const QByteArray& v) {
    return "<item><link>https://example.test/releases/" + v + "</link><sparkle:version>" + v +
           ".0</sparkle:version><sparkle:shortVersionString>" + v +
           "</sparkle:shortVersionString><sparkle:releaseNotesLink>https://example.test/notes/" +
           v + "</sparkle:releaseNotesLink></item>";
}

struct Events final : ports::UpdateDriverEvents {
    void willScheduleUpdateCheck(double) override {}
    void updateCheckStarted() override { log.push_back("started"); }
    void updateCheckFinished(bool succeeded) override {
        log.push_back(succeeded ? "finished" : "failed");
        done = true;
    }
    void updateFound(const ports::UpdateInfo& u, bool user, bool driverShows) override {
        log.push_back("found " + u.displayVersion + (user ? " user" : " scheduled") +
                      (driverShows ? " shown" : " left"));
        found.push_back(u);
    }
    void userDidAttendToUpdate(const ports::UpdateInfo&) override {}
    void updateSessionWillFinish() override {}

    std::vector<std::string> log;
    std::vector<ports::UpdateInfo> found;
    bool done = false;
};

struct Presenter final : UpdatePresenter {
    void showUpdate(const ports::UpdateInfo& u, std::function<void()>) override {
        shown.push_back("update " + u.displayVersion);
    }
    void showUpToDate(const std::string& v) override { shown.push_back("up to date " + v); }
    void showFailure(const UpdateFailure& f) override { shown.push_back(f.message()); }
    std::vector<std::string> shown;
};

class AppcastDriverTest : public ::testing::Test {
protected:
    /// Runs one check against `server` to its end.
    void check(const FeedServer& server, bool user, std::chrono::milliseconds timeout = 15s) {
        events = Events{};
        auto shows = std::make_unique<Presenter>();
        presenter = shows.get();
        driver = std::make_unique<AppcastUpdateDriver>(
            AppcastUpdateDriver::Options{
                .feedURL = server.url(), .currentVersion = "1.2.0", .timeout = timeout},
            std::move(shows));
        driver->setEventHandler(&events);
        driver->checkForUpdates(user);
        ASSERT_TRUE(spinUntil([&] { return events.done; }));
        EXPECT_FALSE(driver->isChecking());
    }

    std::unique_ptr<AppcastUpdateDriver> driver;
    Events events;
    Presenter* presenter = nullptr;
    core::LogCapture log;
};

TEST_F(AppcastDriverTest, AScheduledCheckFindsTheNewestNewerReleaseAndLeavesItToTheApplication) {
    FeedServer server(appcast(item("1.10") + item("1.3") + item("1.9")));
    check(server, false);
    EXPECT_EQ(events.log,
              (std::vector<std::string>{"started", "found 1.10 scheduled left", "finished"}));
    ASSERT_EQ(events.found.size(), 1u);
    EXPECT_EQ(events.found[0],
              (ports::UpdateInfo{"1.10.0", "1.10", "https://example.test/notes/1.10",
                                 "https://example.test/releases/1.10"}));
    EXPECT_TRUE(presenter->shown.empty());
    EXPECT_TRUE(log.lines().empty());
}

TEST_F(AppcastDriverTest, AFailedCheckIsNoSuccessAndAUserCheckNamesItsReason) {
    FeedServer silent({}, 200, /*silent=*/true);
    check(silent, false, 300ms);
    EXPECT_EQ(silent.requests(), 1);
    EXPECT_EQ(log.lines(), std::vector<std::string>{
                               "⚠️ Update check failed: no answer from the feed within 0.3 s"});
    struct Case {
        QByteArray body;
        int status;
        const char* says;
    };
    for (const Case& c :
         {Case{"gone", 404, "The update feed was not found (the feed answered HTTP 404)."},
          Case{"<html><body>hello</body></html>", 200,
               "The update feed is malformed and could not be read (the document is not an RSS "
               "feed)."},
          Case{appcast(item("1.3")).left(120), 200, "The update feed is malformed"}}) {
        FeedServer server(c.body, c.status);
        check(server, true);
        EXPECT_EQ(events.log, (std::vector<std::string>{"started", "failed"}));
        ASSERT_EQ(presenter->shown.size(), 1u);
        EXPECT_EQ(presenter->shown[0].rfind(c.says, 0), 0u) << presenter->shown[0];
    }
    using Kind = UpdateFailure::Kind;
    EXPECT_EQ(UpdateFailure::kindOf(QNetworkReply::HostNotFoundError, 0), Kind::offline);
    EXPECT_EQ(UpdateFailure::kindOf(QNetworkReply::TemporaryNetworkFailureError, 0), Kind::offline);
    EXPECT_NE((UpdateFailure{Kind::offline, "x"}.message().find("offline")), std::string::npos);
}

TEST(AppcastFeedAddress, OnlyHttpsOrThisMachine) {
    const std::pair<const char*, bool> cases[] = {
        {"https://updates.example.test/appcast.xml", true},
        {"http://127.0.0.1:8080/a.xml", true},
        {"http://localhost/a.xml", true},
        {"http://[::1]:99/a.xml", true},
        {"http://updates.example.test/appcast.xml", false},
        {"http://127.0.0.1.example.test/", false},
        {"file:///etc/passwd", false},
        {"", false},
    };
    for (const auto& [url, allowed] : cases) {
        EXPECT_EQ(AppcastUpdateDriver::isAllowedFeedURL(QUrl(url)), allowed) << url;
    }
    EXPECT_TRUE(AppcastUpdateDriver::isAllowedFeedURL(AppcastUpdateDriver::defaultFeedURL()));
}

TEST(AppcastParsing, ReadsVersionsFromElementsOrTheEnclosureAndSkipsTheRest) {
    const auto parsed = AppcastUpdateDriver::parseAppcast(appcast(
        "<item><enclosure url=\"https://example.test/q.tar.gz\" sparkle:version=\"3.1\" "
        "sparkle:shortVersionString=\"3.1 beta\"/></item>"
        "<item><sparkle:version>4.0</sparkle:version><sparkle:channel>beta</sparkle:channel></item>"
        "<item><title>no version</title></item>"
        "<item><sparkle:version>2.0</sparkle:version><link>javascript:alert(1)</link></item>"));
    EXPECT_EQ(
        std::get<std::vector<ports::UpdateInfo>>(parsed),
        (std::vector<ports::UpdateInfo>{{"3.1", "3.1 beta", "", "https://example.test/q.tar.gz"},
                                        {"2.0", "2.0", "", ""}}));
}

TEST(UpdateDialog, DownloadOpensTheReleasePageTheLinkTheNotesAndLaterNothing) {
    const ports::UpdateInfo update{"1.3.0", "1.3", "https://example.test/notes/1.3",
                                   "https://example.test/releases/1.3"};
    std::vector<QUrl> opened;
    const auto open = [&](const QUrl& u) { opened.push_back(u); };
    UpdateDialog download(update, "1.2.0", open);
    auto* notes = download.findChild<QLabel*>("releaseNotes");
    ASSERT_NE(notes, nullptr);
    notes->linkActivated("notes");  // as a click on the link does
    download.downloadButton()->click();
    EXPECT_EQ(download.result(), QDialog::Accepted);
    UpdateDialog later(update, "1.2.0", open);
    later.laterButton()->click();
    EXPECT_EQ(later.result(), QDialog::Rejected);
    EXPECT_EQ(opened, (std::vector<QUrl>{QUrl("https://example.test/notes/1.3"),
                                         QUrl("https://example.test/releases/1.3")}));
}

}  // namespace
}  // namespace quorvel::qt
