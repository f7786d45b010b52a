// The tray adapters on a real X display with a private session bus: the icon
// and its hint in a real tray host, the global shortcuts, the session
// monitor and the watch on the X connection.
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <QAction>
#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <QDir>
#include <QEventLoop>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPalette>
#include <QScreen>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "controls/tray_hint.h"
#include "program/x_connection_watch.h"
#include "qt/qt_hint_window.h"
#include "qt/qt_scheduler.h"
#include "qt/qt_tray.h"
#include "qt/session_monitor.h"
#include "settings/key_combo.h"
#include "sim/sim_app_catalog.h"
#include "spin_until.h"
#include "x11/connection.h"
#include "x11/x11_desktop.h"
#include "x11/x11_global_shortcuts.h"
#include "x11/x11_keyboard_layout.h"

namespace quorvel {
namespace {

using testing::spinUntil;
namespace mod = settings::modifier;

/// The tray host of the test: trayer at the bottom right of the screen, its
/// panel painted in `tint`, stopped when destroyed.
class TrayHost {
public:
    explicit TrayHost(const QString& tint) {
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start("trayer", {"--edge", "bottom", "--align", "right", "--widthtype", "request",
                                  "--height", "24", "--SetDockType", "true", "--SetPartialStrut",
                                  "true", "--transparent", "true", "--alpha", "0", "--tint", tint});
        spinUntil([this] { return isReady(); });
    }
    ~TrayHost() {
        process_.terminate();
        if (!process_.waitForFinished(3000)) process_.kill();
        process_.waitForFinished(3000);
        spinUntil([] { return managerWindow() == 0; }, 3000);
    }
    bool isReady() const { return process_.state() == QProcess::Running && managerWindow() != 0; }
    /// The tray manager window (owner of _NET_SYSTEM_TRAY_S0); 0 without one.
    static xcb_window_t managerWindow() {
        static const x11::Connection c;
        auto owner = x11::reply(xcb_get_selection_owner_reply(
            c.raw(), xcb_get_selection_owner(c.raw(), c.intern("_NET_SYSTEM_TRAY_S0")), nullptr));
        return owner ? owner->owner : 0;
    }

private:
    QProcess process_;
};

/// Mean luminance (0–255) of the pixels of `image` inside `area`.
double meanLuminance(const QImage& image, const QRect& area) {
    double sum = 0;
    const QRect clipped = area.intersected(image.rect());
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        for (int x = clipped.left(); x <= clipped.right(); ++x) sum += qGray(image.pixel(x, y));
    }
    return clipped.isEmpty() ? 0 : sum / (clipped.width() * clipped.height());
}

QPalette schemePalette(bool dark) {
    QPalette p;
    p.setColor(QPalette::Window, dark ? QColor(0x2b, 0x2b, 0x2b) : QColor(0xef, 0xef, 0xef));
    p.setColor(QPalette::WindowText, dark ? Qt::white : Qt::black);
    return p;
}

/// The icon in a real tray host: trayer docks it over XEmbed.
class QtTrayTest : public ::testing::Test {
protected:
    void start(const QString& tint = QStringLiteral("0x303030")) {
        host = std::make_unique<TrayHost>(tint);
        ASSERT_TRUE(host->isReady());
        item = std::make_unique<qt::QtTray>(scheduler);
        item->setIcon("menubar-icon-active");
        item->show();
        // Until trayer docks it, the icon is a window of its own somewhere on the
        // screen; docked, it lies in the 24 px panel at the bottom.
        const int panelTop = QGuiApplication::primaryScreen()->geometry().bottom() + 1 - 24;
        ASSERT_TRUE(spinUntil([&] {
            const auto g = item->geometry();
            return g && g->minY() >= panelTop;
        }));
        testing::settle(300);
    }
    void TearDown() override {
        item.reset();
        host.reset();
        QApplication::setPalette(schemePalette(false));
    }
    /// The icon's rectangle in X coordinates (top-left origin).
    QRect iconOnScreen() const {
        const core::Rect g = *item->geometry();
        return QRect(int(g.x), int(g.y), int(g.width), int(g.height));
    }

    qt::QtScheduler scheduler;
    std::unique_ptr<TrayHost> host;
    std::unique_ptr<qt::QtTray> item;
};

TEST_F(QtTrayTest, TrayHostColoursWinOverThePalette) {
    start();
    const QColor drawn = item->foreground();
    // A light palette, nothing from the host, and a dark panel seen behind the icon.
    EXPECT_EQ(drawn, QColor(0xf2, 0xf2, 0xf2));
    const QString manager = QString::number(TrayHost::managerWindow());
    testing::run("xprop", {"-id", manager, "-f", "_NET_SYSTEM_TRAY_COLORS", "32c", "-set",
                           "_NET_SYSTEM_TRAY_COLORS",
                           "65535,65535,65535,65535,0,0,65535,65535,0,0,65535,0"});
    EXPECT_TRUE(spinUntil([this] { return item->foreground() == QColor(Qt::white); }));
    // The icon is redrawn within a poll.
    EXPECT_TRUE(spinUntil(
        [this] { return item->iconImage(16).pixelColor(3, 8) == QColor(Qt::white); }, 3000));
}

/// The icon and the hint above it on a light and a dark panel: the icon must
/// stand out from the panel, and the hint must take the scheme's colours.
class TrayLookTest : public QtTrayTest, public ::testing::WithParamInterface<bool> {};

TEST_P(TrayLookTest, IconIsLegibleAndHintPointsAtIt) {
    const bool dark = GetParam();
    testing::run("xsetroot", {"-solid", "#6b7f99"});
    QApplication::setPalette(schemePalette(dark));
    start(dark ? "0x303030" : "0xeeeeee");
    const QRect icon = iconOnScreen();

    x11::Connection connection;
    sim::SimAppCatalog catalog;
    x11::X11Desktop desktop(connection, scheduler, catalog);
    qt::QtHintWindow hint;
    controls::TrayHint tooltip(hint, *item, desktop);
    hint.setShortcutKeys({"Ctrl", "Shift", "Page Up"}, {});  // no mode shortcut: no caps
    QStringList caps;
    for (const auto* cap : hint.findChildren<QLabel*>("keycap")) caps << cap->text();
    EXPECT_EQ(caps, QStringList({"Ctrl", "Shift", "Page Up"}));
    tooltip.show();
    ASSERT_TRUE(spinUntil([&] { return hint.isVisible() && hint.alpha() == 1.0; }));
    testing::settle(300);
    EXPECT_FALSE(hint.arrowUp());  // the tray is at the bottom: the hint stands above it
    EXPECT_EQ(hint.geometry().bottom() + 1, icon.top());
    EXPECT_EQ(hint.isDark(), dark);

    const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    const QRect panelStrip(icon.left(), icon.bottom() - 1, icon.width(), 1);  // below the art
    const double panel = meanLuminance(screen, panelStrip);
    int contrasting = 0;
    for (int y = icon.top(); y <= icon.bottom(); ++y)
        for (int x = icon.left(); x <= icon.right(); ++x)
            if (std::abs(qGray(screen.pixel(x, y)) - panel) > 100) ++contrasting;
    EXPECT_GE(contrasting, 30) << "panel luminance " << panel;
    const double body = meanLuminance(screen, QRect(hint.x() + 3, hint.y() + 40, 6, 20));
    if (dark)
        EXPECT_LT(body, 90);
    else
        EXPECT_GT(body, 180);

    const QRect area =
        QRect(icon.center(), QSize(1, 1)).adjusted(-330, -180, 30, 12).intersected(screen.rect());
    const QString shots = qEnvironmentVariable("QUORVEL_SCREENSHOTS");
    if (!shots.isEmpty() && QDir().mkpath(shots))
        screen.copy(area).save(shots + (dark ? "/tray-dark.png" : "/tray-light.png"));
}

INSTANTIATE_TEST_SUITE_P(Schemes, TrayLookTest, ::testing::Values(false, true),
                         [](const auto& p) { return p.param ? "Dark" : "Light"; });

constexpr std::uint32_t kF = 3, kM = 46, kE = 14;  // stored codes of the F, M and E keys
constexpr std::uint8_t kXF = 41, kXE = 26;         // the X server's codes of F and E
constexpr std::uint16_t kControlAltSuper = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4;

/// A grab on the root by `other`, another X client; false when a client holds the combination.
bool grab(x11::Connection& other, std::uint8_t keycode, std::uint16_t mask) {
    auto* error = xcb_request_check(
        other.raw(), xcb_grab_key_checked(other.raw(), 0, other.root(), mask, keycode,
                                          XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    std::free(error);
    return error == nullptr;
}

struct Presses final : ports::GlobalShortcutEvents {
    void shortcutPressed(std::uint32_t id) override { ids.push_back(id); }
    std::vector<std::uint32_t> ids;
};

class X11GlobalShortcutsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(connection.isOpen());
        notifier = std::make_unique<QSocketNotifier>(connection.fd(), QSocketNotifier::Read);
        QObject::connect(notifier.get(), &QSocketNotifier::activated,
                         [this] { connection.processEvents(); });
        hotkeys.setEventHandler(&presses);
    }
    void TearDown() override { setLock("Num Lock", "Num_Lock", false); }

    /// Presses keys and waits until `count` presses arrived (or a moment passed).
    void press(const QString& keys, std::size_t count) {
        testing::run("xdotool", {"key", keys});
        spinUntil([&] { return presses.ids.size() >= count; }, 4000);
        testing::settle(100);
    }
    static bool lockIsOn(const QString& name) {
        const QString state = testing::run("xset", {"q"});
        const auto at = state.indexOf(name + ":");
        return at >= 0 && state.mid(at, 20).contains("on");
    }
    static void setLock(const QString& name, const QString& key, bool on) {
        if (lockIsOn(name) != on) testing::run("xdotool", {"key", key});
        spinUntil([&] { return lockIsOn(name) == on; }, 2000);
    }

    x11::Connection connection;
    x11::X11GlobalShortcuts hotkeys{connection};
    Presses presses;
    std::unique_ptr<QSocketNotifier> notifier;
};

TEST_F(X11GlobalShortcutsTest, OnlyTheExactModifiersMatchWhateverLockKeysAreOn) {
    ASSERT_TRUE(hotkeys.grab(1, kF, mod::controlAltSuper));
    ASSERT_TRUE(hotkeys.grab(2, kM, mod::controlAltSuper));
    ASSERT_TRUE(hotkeys.grab(3, kF, mod::control | mod::shift));
    press("ctrl+alt+f", 0);  // no Super: not ours
    press("super+f", 0);
    press("ctrl+alt+super+f", 1);
    press("ctrl+shift+f", 2);
    setLock("Num Lock", "Num_Lock", true);
    ASSERT_TRUE(lockIsOn("Num Lock"));
    press("ctrl+alt+super+m", 3);
    setLock("Caps Lock", "Caps_Lock", true);
    press("ctrl+alt+super+f", 4);  // NumLock and CapsLock both on
    setLock("Caps Lock", "Caps_Lock", false);
    EXPECT_EQ(presses.ids, (std::vector<std::uint32_t>{1, 3, 2, 1}));
}

TEST_F(X11GlobalShortcutsTest, GrabsTakeAndUngrabsReleaseEveryLockVariantAndATakenOneNone) {
    x11::Connection other;
    ASSERT_TRUE(grab(other, kXE, kControlAltSuper));
    EXPECT_FALSE(hotkeys.grab(3, kE, mod::controlAltSuper));
    ASSERT_TRUE(hotkeys.grab(1, kF, mod::controlAltSuper));
    EXPECT_FALSE(grab(other, kXF, kControlAltSuper | XCB_MOD_MASK_2)) << "ours, NumLock variant";
    hotkeys.ungrab(1);
    for (int lock : {0, int(XCB_MOD_MASK_2), int(XCB_MOD_MASK_LOCK),
                     int(XCB_MOD_MASK_2 | XCB_MOD_MASK_LOCK)}) {
        const auto mask = std::uint16_t(kControlAltSuper | lock);
        EXPECT_TRUE(grab(other, kXF, mask)) << "lock mask " << lock;
        if (lock) {
            EXPECT_TRUE(grab(other, kXE, mask)) << "left by the failed grab: " << lock;
        }
    }
    press("ctrl+alt+super+f", 1);
    EXPECT_TRUE(presses.ids.empty());
}

TEST_F(X11GlobalShortcutsTest, AKeyThatTypesNothingIsMissingAndNeverGrabbed) {
    constexpr std::uint32_t kF17 = 64;                     // its stored code
    testing::run("xmodmap", {"-e", "keycode 195 = F17"});  // its X code
    EXPECT_TRUE(hotkeys.hasKey(kF17));
    testing::run("xmodmap", {"-e", "keycode 195 ="});
    EXPECT_FALSE(hotkeys.hasKey(kF17));
    EXPECT_FALSE(hotkeys.grab(1, kF17, mod::control));
}

TEST_F(X11GlobalShortcutsTest, KeysAreNamedByAnAsciiCapableLayoutWhateverLayoutIsActive) {
    testing::run("setxkbmap", {"-layout", "ru,us"});  // Russian active, US second
    x11::X11KeyboardLayout layout{connection};
    const settings::KeyCombo j{38, mod::controlAltSuper};
    EXPECT_EQ(j.displayString(layout), "Ctrl+Alt+Super+J");
    testing::run("setxkbmap", {"-layout", "us"});
}

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

// Another client changes a root property; Quorvel then waits for a reply,
// and XCB takes the notification off the socket along with it. Nothing more
// comes, so the socket never turns readable again: the notification must
// still reach Quorvel's handlers (it was the last window switch, stuck until
// the next X event, one time in a few thousand).
TEST(XConnectionWatch, AnEventReadWhileAReplyWasAwaitedIsHandled) {
    x11::Connection ours;
    x11::Connection other;
    ASSERT_TRUE(ours.isOpen() && other.isOpen());
    program::XConnectionWatch watch(ours, "the test's", nullptr);
    const xcb_atom_t atom = ours.intern("QUORVEL_TEST_PROPERTY");
    int heard = 0;
    ours.addEventHandler([&](const xcb_generic_event_t& event) {
        const auto& e = reinterpret_cast<const xcb_property_notify_event_t&>(event);
        if ((event.response_type & 0x7f) == XCB_PROPERTY_NOTIFY && e.atom == atom) ++heard;
    });
    ours.sync();

    const std::uint32_t value = 1;
    xcb_change_property(other.raw(), XCB_PROP_MODE_REPLACE, other.root(), atom, XCB_ATOM_CARDINAL,
                        32, 1, &value);
    other.sync();
    std::free(xcb_get_input_focus_reply(ours.raw(), xcb_get_input_focus(ours.raw()), nullptr));
    // The program's own loop: one that sleeps until something happens.
    QEventLoop loop;
    QTimer::singleShot(2000, &loop, &QEventLoop::quit);
    QTimer::singleShot(0, &loop, [&] {
        if (heard) loop.quit();
    });
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, &loop, [&] {
        if (heard) loop.quit();
    });
    look.start(10);
    loop.exec();
    EXPECT_EQ(heard, 1);
}

}  // namespace
}  // namespace quorvel
