#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <string>
#include <vector>

#include "qt/session_monitor.h"
#include "spin_until.h"

namespace quorvel {
namespace {

using testing::spinUntil;

struct Events final : ports::SessionEvents {
    void screenLocked() override { log.push_back("locked"); }
    void screenUnlocked() override { log.push_back("unlocked"); }
    void didWake() override { log.push_back("wake"); }
    std::vector<std::string> log;
};

/// Stands in for logind on the private bus: answers GetSession (for id 37).
class FakeLogindManager final : public QDBusVirtualObject {
public:
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        const QDBusObjectPath session(QStringLiteral("/org/freedesktop/login1/session/_37"));
        return message.member() == QLatin1String("GetSession") &&
               connection.send(message.createReply(QVariant::fromValue(session)));
    }
};

/// The private session bus plays both buses; a second connection owns the
/// logind name and sends what the desktop's services would.
class SessionMonitorTest : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("XDG_SESSION_ID", "37");
        ASSERT_TRUE(services.isConnected());
        ASSERT_TRUE(services.registerService(QStringLiteral("org.freedesktop.login1")));
        ASSERT_TRUE(
            services.registerVirtualObject(QStringLiteral("/org/freedesktop/login1"), &manager));
        monitor = std::make_unique<qt::SessionMonitor>(bus, bus);
        monitor->addObserver(events);
        ASSERT_TRUE(spinUntil([this] { return !monitor->sessionPath().isEmpty(); }));
    }
    void TearDown() override {
        monitor.reset();
        services.unregisterObject(QStringLiteral("/org/freedesktop/login1"));
        services.unregisterService(QStringLiteral("org.freedesktop.login1"));
    }

    void signal(const QString& path, const QString& interface, const QString& name,
                const QVariantList& args = {}) {
        QDBusMessage message = QDBusMessage::createSignal(path, interface, name);
        message.setArguments(args);
        services.send(message);
    }
    /// Waits for `count` events, then a little longer so that extra ones show.
    void expectLog(const std::vector<std::string>& expected) {
        spinUntil([&] { return events.log.size() >= expected.size(); }, 6000);
        testing::settle(200);
        EXPECT_EQ(events.log, expected);
    }

    QDBusConnection bus = QDBusConnection::sessionBus();
    QDBusConnection services =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("services"));
    FakeLogindManager manager;
    Events events;
    std::unique_ptr<qt::SessionMonitor> monitor;
};

TEST_F(SessionMonitorTest, EitherScreenSaverLocksAndUnlocksAndAReturnFromSleepIsAWake) {
    signal("/org/gnome/ScreenSaver", "org.gnome.ScreenSaver", "ActiveChanged", {true});
    signal("/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver", "ActiveChanged", {false});
    const QString login = QStringLiteral("org.freedesktop.login1.Manager");
    signal("/org/freedesktop/login1", login, "PrepareForSleep", {true});  // going: nothing
    signal("/org/freedesktop/login1", login, "PrepareForSleep", {false});
    expectLog({"locked", "unlocked", "wake"});
}

}  // namespace
}  // namespace quorvel
