#include <gtest/gtest.h>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QProcess>
#include <QStandardPaths>
#include <QVariantMap>

#include "qt/freedesktop_notifications.h"
#include "qt/kde_overview.h"
#include "qt/power_monitor.h"
#include "spin_until.h"

namespace quorvel::qt {
namespace {

using quorvel::testing::spinUntil;

/// A private session bus, so the tests touch no desktop's real services.
class PrivateBus {
public:
    PrivateBus() {
        const QString tool = QStandardPaths::findExecutable("dbus-daemon");
        if (tool.isEmpty()) return;
        daemon_.start(tool, {"--session", "--nofork", "--nopidfile", "--print-address=1"});
        if (!daemon_.waitForReadyRead(5000)) return;
        address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
    }
    ~PrivateBus() {
        QDBusConnection::disconnectFromBus("client");
        QDBusConnection::disconnectFromBus("server");
        daemon_.kill();
        daemon_.waitForFinished(2000);
    }
    bool ok() const { return !address_.isEmpty(); }
    QDBusConnection connect(const QString& name) {
        return QDBusConnection::connectToBus(address_, name);
    }

private:
    QProcess daemon_;
    QString address_;
};

/// A service of the test's own at one object path of the private bus.
class FakeService : public QDBusVirtualObject {
public:
    FakeService(QDBusConnection bus, const QString& name, const QString& path) : bus_(bus) {
        bus_.registerVirtualObject(path, this);
        bus_.registerService(name);
    }
    QString introspect(const QString&) const override { return {}; }

protected:
    QDBusConnection bus_;
};

/// A notification server that records calls and can click what it shows.
class FakeNotificationServer final : public FakeService {
public:
    explicit FakeNotificationServer(QDBusConnection bus)
        : FakeService(bus, "org.freedesktop.Notifications", "/org/freedesktop/Notifications") {}
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        const QString member = message.member();
        QDBusMessage reply;
        if (member == "Notify") {
            shown.push_back(message.arguments());
            reply = message.createReply(QVariant::fromValue(uint(shown.size())));
        } else if (member == "CloseNotification") {
            closed.push_back(message.arguments().value(0).toUInt());
            reply = message.createReply();
        } else if (member == "GetCapabilities") {
            reply = message.createReply(QStringList{"body", "actions"});
        } else {
            return false;
        }
        connection.send(reply);
        return true;
    }
    void click(uint id) {
        auto signal = QDBusMessage::createSignal("/org/freedesktop/Notifications",
                                                 "org.freedesktop.Notifications", "ActionInvoked");
        signal << id << QString("default");
        bus_.send(signal);
    }
    std::vector<QVariantList> shown;
    std::vector<uint> closed;
};

struct Clicks final : ports::UserNotificationEvents {
    void didActivateDefaultAction(const std::string& id) override { ids.push_back(id); }
    std::vector<std::string> ids;
};

TEST(FreedesktopNotifications, ShowsWithdrawsAndReportsClicks) {
    PrivateBus bus;
    if (!bus.ok()) GTEST_SKIP() << "no dbus-daemon";
    FakeNotificationServer server(bus.connect("server"));
    FreedesktopNotifications notifications(bus.connect("client"));
    Clicks clicks;
    notifications.setEventHandler(&clicks);

    std::optional<std::optional<std::string>> authorization;
    notifications.requestAuthorization([&](std::optional<std::string> e) { authorization = e; });
    ASSERT_TRUE(spinUntil([&] { return authorization.has_value(); }));
    EXPECT_EQ(*authorization, std::nullopt);

    notifications.post({"UpdateCheck", "Quorvel Update Available", "Version 1.3",
                        "A new version of Quorvel is available!", true});
    ASSERT_TRUE(spinUntil([&] { return notifications.serverId("UpdateCheck") != 0; }));
    ASSERT_EQ(server.shown.size(), 1u);
    const QVariantList& args = server.shown[0];
    EXPECT_EQ(args.value(3).toString(), "Quorvel Update Available");
    EXPECT_EQ(args.value(4).toString(), "Version 1.3\nA new version of Quorvel is available!");
    EXPECT_TRUE(args.value(5).toStringList().contains("default"));

    server.click(1);
    ASSERT_TRUE(spinUntil([&] { return !clicks.ids.empty(); }));
    EXPECT_EQ(clicks.ids, std::vector<std::string>{"UpdateCheck"});

    notifications.removeDelivered("UpdateCheck");
    ASSERT_TRUE(spinUntil([&] { return !server.closed.empty(); }));
    EXPECT_EQ(server.closed, std::vector<uint>{1});
}

/// UPower's OnBattery, answered and announced as UPower does.
class FakeUPower final : public FakeService {
public:
    explicit FakeUPower(QDBusConnection bus)
        : FakeService(bus, "org.freedesktop.UPower", "/org/freedesktop/UPower") {}
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        if (message.member() != "Get" || message.arguments().value(1) != "OnBattery") return false;
        return connection.send(message.createReply(QVariant::fromValue(QDBusVariant(onBattery))));
    }
    void unplug() {
        onBattery = true;
        auto signal = QDBusMessage::createSignal(
            "/org/freedesktop/UPower", "org.freedesktop.DBus.Properties", "PropertiesChanged");
        signal << QString("org.freedesktop.UPower") << QVariantMap{{"OnBattery", true}}
               << QStringList{};
        bus_.send(signal);
    }
    bool onBattery = false;
};

TEST(PowerMonitor, FollowsUPowerFromMainsToBattery) {
    PrivateBus bus;
    if (!bus.ok()) GTEST_SKIP() << "no dbus-daemon";
    FakeUPower upower(bus.connect("server"));
    std::vector<bool> heard;
    PowerMonitor monitor(bus.connect("client"),
                         [&](bool onBattery) { heard.push_back(onBattery); });
    ASSERT_TRUE(spinUntil([&] { return heard.size() == 1; }));
    EXPECT_FALSE(heard.back());
    upower.unplug();
    ASSERT_TRUE(spinUntil([&] { return heard.size() == 2; }));
    EXPECT_TRUE(heard.back());
    EXPECT_TRUE(monitor.onBattery());
}

/// KWin's effects object: answers which effects are active, and nothing else.
class FakeKWinEffects final : public FakeService {
public:
    explicit FakeKWinEffects(QDBusConnection bus) : FakeService(bus, "org.kde.KWin", "/Effects") {}
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        if (message.member() != "Get" || message.arguments().value(0) != "org.kde.kwin.Effects" ||
            message.arguments().value(1) != "activeEffects")
            return false;
        ++reads;
        return connection.send(message.createReply(QVariant::fromValue(QDBusVariant(active))));
    }
    QStringList active;
    int reads = 0;
};

TEST(KdeOverview, KWinsWindowOverviewsCountAsTheOverview) {
    PrivateBus bus;
    if (!bus.ok()) GTEST_SKIP() << "no dbus-daemon";
    FakeKWinEffects kwin(bus.connect("server"));
    KdeOverview overview(bus.connect("client"));
    const struct {
        QStringList active;
        bool showing;
    } cases[] = {{{"slide", "blur"}, false},       {{"blur", "overview"}, true},
                 {{"windowview"}, true},           {{"presentwindows"}, true},
                 {{"desktopgrid", "slide"}, true}, {{}, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.active.join(",").toStdString());
        kwin.active = c.active;
        const int before = kwin.reads;
        // One read at a time: once the third is sent, the second (begun after
        // the change) has been answered.
        ASSERT_TRUE(spinUntil([&] {
            overview.isShowing();
            return kwin.reads > before + 2;
        }));
        EXPECT_EQ(overview.isShowing(), c.showing);
    }
}

}  // namespace
}  // namespace quorvel::qt
