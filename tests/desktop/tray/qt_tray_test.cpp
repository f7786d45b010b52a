#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPalette>
#include <QScreen>
#include <memory>
#include <vector>

#include "controls/tray_hint.h"
#include "qt/qt_hint_window.h"
#include "qt/qt_scheduler.h"
#include "qt/qt_tray.h"
#include "sim/sim_app_catalog.h"
#include "spin_until.h"
#include "x11/connection.h"
#include "x11/x11_desktop.h"

namespace quorvel {
namespace {

using testing::spinUntil;

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

}  // namespace
}  // namespace quorvel
