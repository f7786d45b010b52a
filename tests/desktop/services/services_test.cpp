// The real update, notification, power, overview and start-at-login
// adapters.
//
// Before any Qt header: Qt's `emit` keyword macro would eat Signal::emit.
#include "services/autostart.h"
//
#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>
#include <QVariantMap>
#include <optional>
#include <string>
#include <vector>

#include "core/log.h"
#include "qt/appcast_update_driver.h"
#include "qt/freedesktop_notifications.h"
#include "qt/kde_overview.h"
#include "qt/power_monitor.h"
#include "qt/update_dialog.h"
#include "sim/temp_dir.h"
#include "spin_until.h"
#include "x11/xdg_autostart.h"

namespace quorvel::qt {
namespace {

using quorvel::testing::readFile;
using quorvel::testing::spinUntil;
using quorvel::testing::writeFile;
using namespace std::chrono_literals;

/// A one-route HTTP server on 127.0.0.1 for the update driver's tests: it
/// answers every request with one status and body, or (`silent`) never.
class FeedServer {
public:
    explicit FeedServer(QByteArray body, int status = 200, bool silent = false)
        : body_(std::move(body)), status_(status), silent_(silent) {
        server_.listen(QHostAddress::LocalHost);
        QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this] { accept(); });
    }

    QUrl url() const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1/appcast.xml").arg(server_.serverPort()));
    }
    int requests() const { return requests_; }

private:
    void accept() {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                request_ += socket->readAll();
                if (!request_.contains("\r\n\r\n")) return;
                request_.clear();
                ++requests_;
                if (silent_) return;
                socket->write("HTTP/1.1 " + QByteArray::number(status_) +
                              " X\r\nContent-Type: application/rss+xml\r\nContent-Length: " +
                              QByteArray::number(body_.size()) + "\r\nConnection: close\r\n\r\n" +
                              body_);
                socket->disconnectFromHost();
            });
        }
    }

    QTcpServer server_;
    QByteArray body_;
    int status_;
    bool silent_;
    QByteArray request_;
    int requests_ = 0;
};

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

/// The session bus is a private one (the tests run under dbus-run-session): the
/// fake services answer on one connection, the adapters call on another.
QDBusConnection connect(const QString& name) {
    return QDBusConnection::connectToBus(QDBusConnection::SessionBus, name);
}

/// A service of the test's own at one object path: `answer` gives the reply's
/// arguments to the calls it knows, nothing to the others.
class FakeService final : public QDBusVirtualObject {
public:
    using Answer = std::function<std::optional<QVariantList>(const QDBusMessage&)>;
    FakeService(QDBusConnection bus, const QString& name, const QString& path, Answer answer)
        : bus_(bus), path_(path), answer_(std::move(answer)) {
        bus_.registerVirtualObject(path, this);
        bus_.registerService(name);
    }
    ~FakeService() override { bus_.unregisterObject(path_); }
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        const auto arguments = answer_(message);
        return arguments && connection.send(message.createReply(*arguments));
    }
    void signal(const QString& interface, const QString& name, const QVariantList& arguments) {
        auto signal = QDBusMessage::createSignal(path_, interface, name);
        signal.setArguments(arguments);
        bus_.send(signal);
    }

private:
    QDBusConnection bus_;
    QString path_;
    Answer answer_;
};

struct Clicks final : ports::UserNotificationEvents {
    void didActivateDefaultAction(const std::string& id) override { ids.push_back(id); }
    std::vector<std::string> ids;
};

TEST(FreedesktopNotifications, ShowsWithdrawsAndReportsClicks) {
    std::vector<QVariantList> shown;
    std::vector<uint> closed;
    FakeService server(connect("server"), "org.freedesktop.Notifications",
                       "/org/freedesktop/Notifications",
                       [&](const QDBusMessage& m) -> std::optional<QVariantList> {
                           if (m.member() == "Notify") {
                               shown.push_back(m.arguments());
                               return QVariantList{uint(shown.size())};
                           }
                           if (m.member() == "CloseNotification") {
                               closed.push_back(m.arguments().value(0).toUInt());
                               return QVariantList{};
                           }
                           if (m.member() != "GetCapabilities") return std::nullopt;
                           return QVariantList{QStringList{"body", "actions"}};
                       });
    FreedesktopNotifications notifications(connect("client"));
    Clicks clicks;
    notifications.setEventHandler(&clicks);

    std::optional<std::optional<std::string>> authorization;
    notifications.requestAuthorization([&](std::optional<std::string> e) { authorization = e; });
    ASSERT_TRUE(spinUntil([&] { return authorization.has_value(); }));
    EXPECT_EQ(*authorization, std::nullopt);

    notifications.post({"UpdateCheck", "Quorvel Update Available", "Version 1.3",
                        "A new version of Quorvel is available!", true});
    ASSERT_TRUE(spinUntil([&] { return notifications.serverId("UpdateCheck") != 0; }));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].value(3).toString(), "Quorvel Update Available");
    EXPECT_EQ(shown[0].value(4).toString(), "Version 1.3\nA new version of Quorvel is available!");
    EXPECT_TRUE(shown[0].value(5).toStringList().contains("default"));

    server.signal("org.freedesktop.Notifications", "ActionInvoked", {1u, QString("default")});
    ASSERT_TRUE(spinUntil([&] { return !clicks.ids.empty(); }));
    EXPECT_EQ(clicks.ids, std::vector<std::string>{"UpdateCheck"});

    notifications.removeDelivered("UpdateCheck");
    ASSERT_TRUE(spinUntil([&] { return !closed.empty(); }));
    EXPECT_EQ(closed, std::vector<uint>{1});
}

// Read and announced as UPower does.
TEST(PowerMonitor, FollowsUPowerFromMainsToBattery) {
    FakeService upower(connect("server"), "org.freedesktop.UPower", "/org/freedesktop/UPower",
                       [](const QDBusMessage& m) -> std::optional<QVariantList> {
                           if (m.member() != "Get" || m.arguments().value(1) != "OnBattery")
                               return {};
                           return QVariantList{QVariant::fromValue(QDBusVariant(false))};
                       });
    std::vector<bool> heard;
    PowerMonitor monitor(connect("client"), [&](bool onBattery) { heard.push_back(onBattery); });
    ASSERT_TRUE(spinUntil([&] { return heard.size() == 1; }));
    EXPECT_FALSE(heard.back());
    upower.signal(
        "org.freedesktop.DBus.Properties", "PropertiesChanged",
        {QString("org.freedesktop.UPower"), QVariantMap{{"OnBattery", true}}, QStringList{}});
    ASSERT_TRUE(spinUntil([&] { return heard.size() == 2; }));
    EXPECT_TRUE(heard.back());
    EXPECT_TRUE(monitor.onBattery());
}

TEST(KdeOverview, KWinsWindowOverviewsCountAsTheOverview) {
    QStringList active;
    int reads = 0;
    FakeService kwin(connect("server"), "org.kde.KWin", "/Effects",
                     [&](const QDBusMessage& m) -> std::optional<QVariantList> {
                         if (m.member() != "Get" ||
                             m.arguments().value(0) != "org.kde.kwin.Effects" ||
                             m.arguments().value(1) != "activeEffects")
                             return {};
                         ++reads;
                         return QVariantList{QVariant::fromValue(QDBusVariant(active))};
                     });
    KdeOverview overview(connect("client"));
    const std::pair<QStringList, bool> cases[] = {
        {{"slide", "blur"}, false}, {{"blur", "overview"}, true},     {{"windowview"}, true},
        {{"presentwindows"}, true}, {{"desktopgrid", "slide"}, true}, {{}, false}};
    for (const auto& [effects, showing] : cases) {
        active = effects;
        const int before = reads;
        // One read at a time: once the third is sent, the second (begun after
        // the change) has been answered.
        ASSERT_TRUE(spinUntil([&] {
            overview.isShowing();
            return reads > before + 2;
        }));
        EXPECT_EQ(overview.isShowing(), showing) << effects.join(",").toStdString();
    }
}

// desktop-file-validate's complaints, when it is installed; else nothing.
std::string complaints(const std::filesystem::path& entry) {
    const QString tool = QStandardPaths::findExecutable("desktop-file-validate");
    if (tool.isEmpty()) return {};
    QProcess p;
    p.start(tool, {QString::fromStdString(entry.string())});
    p.waitForFinished(10'000);
    const std::string out = (p.readAllStandardOutput() + p.readAllStandardError()).toStdString();
    return p.exitCode() != 0 || out.find("error") != std::string::npos ? out : "";
}

class XdgAutostartTest : public ::testing::Test {
protected:
    x11::XdgAutostart make(std::string program = "/usr/bin/quorvel") const {
        return x11::XdgAutostart(user, {system}, std::move(program));
    }
    quorvel::testing::TempDir dir;
    const std::filesystem::path user = dir / "config/autostart", system = dir / "xdg/autostart";
    const std::filesystem::path entry = user / "quorvel.desktop";
};

TEST_F(XdgAutostartTest, EnablingWritesAValidEntryThatStartsTheProgramAndDisablingRemovesIt) {
    auto autostart = make("/opt/Quorvel Beta/bin/quorvel");
    services::Autostart manager(autostart);
    EXPECT_FALSE(manager.isEnabled());
    manager.setEnabled(true);
    EXPECT_TRUE(manager.isEnabled());
    const std::string text = readFile(entry);
    EXPECT_EQ(text.rfind("[Desktop Entry]\n", 0), 0u) << text;
    EXPECT_NE(text.find("Exec=\"/opt/Quorvel Beta/bin/quorvel\"\n"), std::string::npos) << text;
    EXPECT_NE(text.find("TryExec=/opt/Quorvel Beta/bin/quorvel\n"), std::string::npos) << text;
    EXPECT_EQ(complaints(entry), "");
    manager.setEnabled(false);
    EXPECT_FALSE(manager.isEnabled());
    EXPECT_FALSE(std::filesystem::exists(entry));
}

TEST_F(XdgAutostartTest, AnEntryMadeOutsideTheProgramIsReadAsItSays) {
    const std::string head = "[Desktop Entry]\nType=Application\nName=Quorvel\nExec=quorvel\n";
    const std::pair<std::string, bool> cases[] = {
        {head, true},
        {head + "Hidden=true\n", false},
        {head + "X-GNOME-Autostart-enabled=false\n", false},
        {head + "Hidden=false\n", true},
        {head + "[Desktop Action x]\nHidden=true\n", true},
    };
    auto autostart = make();
    services::Autostart manager(autostart);
    for (const auto& [body, enabled] : cases) {
        writeFile(entry, body);
        manager.refresh();
        EXPECT_EQ(manager.isEnabled(), enabled) << body;
        std::filesystem::remove(entry);
        manager.refresh();
        EXPECT_FALSE(manager.isEnabled());
    }
}

TEST_F(XdgAutostartTest, DisablingHidesASystemWideEntry) {
    writeFile(system / "quorvel.desktop",
              "[Desktop Entry]\nType=Application\nName=Q\nExec=quorvel\n");
    auto autostart = make();
    EXPECT_TRUE(autostart.isEnabled());
    EXPECT_EQ(autostart.disable(), std::nullopt);
    EXPECT_FALSE(autostart.isEnabled());
    EXPECT_TRUE(std::filesystem::exists(system / "quorvel.desktop"));
    EXPECT_EQ(complaints(entry), "");
}

}  // namespace
}  // namespace quorvel::qt
