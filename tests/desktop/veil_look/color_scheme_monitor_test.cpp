// The desktop's light/dark preference as the veil reads it: a portal of our
// own on a private session bus (the test runs under dbus-run-session).
#include <gtest/gtest.h>

#include "../spin_until.h"
#include "qt/color_scheme_monitor.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QObject>
#include <QPalette>

namespace quorvel::veil_look {

/// The desktop portal's Settings interface with one value, on the test's bus.
class FakePortal final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Settings")

public:
    uint scheme = 0;

    /// Changes the value and announces it as the portal does.
    void change(uint value) {
        scheme = value;
        Q_EMIT SettingChanged("org.freedesktop.appearance", "color-scheme",
                              QDBusVariant(QVariant::fromValue(value)));
    }

public slots:
    QDBusVariant ReadOne(const QString&, const QString&) {
        return QDBusVariant(QVariant::fromValue(scheme));
    }
    // Read nests the value in one more variant.
    QDBusVariant Read(const QString&, const QString&) {
        return QDBusVariant(QVariant::fromValue(QDBusVariant(QVariant::fromValue(scheme))));
    }

signals:
    void SettingChanged(const QString& ns, const QString& key, const QDBusVariant& value);
};

namespace {

using ports::SystemColorScheme;
using quorvel::testing::spinUntil;

class ColorSchemeMonitorTest : public ::testing::Test {
protected:
    void SetUp() override {
        bus = QDBusConnection::sessionBus();
        if (!bus.isConnected()) GTEST_SKIP() << "no session bus (run under dbus-run-session)";
        ASSERT_TRUE(bus.registerObject(
            "/org/freedesktop/portal/desktop", &portal,
            QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals));
        ASSERT_TRUE(bus.registerService("org.freedesktop.portal.Desktop"));
    }
    void TearDown() override {
        bus.unregisterService("org.freedesktop.portal.Desktop");
        bus.unregisterObject("/org/freedesktop/portal/desktop");
    }
    QDBusConnection bus{QString()};
    FakePortal portal;
};

TEST_F(ColorSchemeMonitorTest, PortalValueDecidesAndItsChangesAreFollowed) {
    for (const auto& [value, scheme] :
         {std::pair{1u, SystemColorScheme::dark}, {2u, SystemColorScheme::light}}) {
        portal.scheme = value;
        qt::ColorSchemeMonitor monitor(bus);
        ASSERT_TRUE(spinUntil([&] { return monitor.portalValue() == value; }));
        EXPECT_EQ(monitor.colorScheme(), scheme) << value;
    }
    qt::ColorSchemeMonitor monitor(bus);
    ASSERT_TRUE(spinUntil([&] { return monitor.portalValue() == 2u; }));
    int changes = 0;
    auto connection = monitor.colorSchemeChanged().connect([&] { ++changes; });
    portal.change(1);
    ASSERT_TRUE(spinUntil([&] { return changes == 1; }));
    EXPECT_EQ(monitor.colorScheme(), SystemColorScheme::dark);
    portal.change(1);  // the same value again is no change
    QCoreApplication::processEvents();
    EXPECT_EQ(changes, 1);
}

}  // namespace
}  // namespace quorvel::veil_look

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

#include "color_scheme_monitor_test.moc"
