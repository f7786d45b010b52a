#include <gtest/gtest.h>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QVariantMap>
#include <optional>

#include "qt/freedesktop_notifications.h"
#include "qt/kde_overview.h"
#include "qt/power_monitor.h"
#include "spin_until.h"

namespace quorvel::qt {
namespace {

using quorvel::testing::spinUntil;

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

}  // namespace
}  // namespace quorvel::qt
