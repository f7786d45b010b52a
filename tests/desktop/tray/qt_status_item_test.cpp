#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPalette>
#include <QScreen>
#include <memory>
#include <vector>

#include "controls/tooltip_window.h"
#include "desktop/qt/qt_hint_window.h"
#include "desktop/qt/qt_scheduler.h"
#include "desktop/qt/qt_status_item.h"
#include "desktop/x11/connection.h"
#include "desktop/x11/x11_screens.h"
#include "tray_support.h"

namespace quorvel {
namespace {

using platform::KeyModifiers;
using platform::MouseButton;
using testing::spinUntil;
using testing::xdotool;

struct Click {
    MouseButton button;
    KeyModifiers modifiers;
    bool operator==(const Click&) const = default;
};

struct Recorder final : platform::StatusItemEvents {
    void clicked(MouseButton button, KeyModifiers modifiers) override {
        clicks.push_back({button, modifiers});
        if (onClick) onClick(button);
    }
    void menuItemActivated(const std::string& action, int tag) override {
        chosen.emplace_back(action, tag);
    }
    std::vector<Click> clicks;
    std::vector<std::pair<std::string, int>> chosen;
    std::function<void(MouseButton)> onClick;
};

QPalette schemePalette(bool dark) {
    QPalette p;
    p.setColor(QPalette::Window, dark ? QColor(0x2b, 0x2b, 0x2b) : QColor(0xef, 0xef, 0xef));
    p.setColor(QPalette::WindowText, dark ? Qt::white : Qt::black);
    return p;
}

/// The icon in a real tray host: trayer docks it over XEmbed.
class QtStatusItemTest : public ::testing::Test {
protected:
    void start(const QString& tint = QStringLiteral("0x303030")) {
        host = std::make_unique<testing::TrayHost>(tint);
        ASSERT_TRUE(host->isReady());
        item = std::make_unique<qt::QtStatusItem>(scheduler);
        item->addObserver(recorder);
        item->setIcon("menubar-icon-active");
        item->show();
        ASSERT_TRUE(spinUntil([this] { return item->geometry().has_value(); }));
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
        const int screenHeight = QGuiApplication::primaryScreen()->geometry().height();
        return QRect(int(g.x), int(screenHeight - g.y - g.height), int(g.width), int(g.height));
    }
    void clickIcon(const QStringList& button, const QStringList& held = {}) {
        const QPoint c = iconOnScreen().center();
        QStringList args{"mousemove", QString::number(c.x()), QString::number(c.y())};
        for (const auto& k : held) args << "keydown" << k;
        args << "click" << button;
        for (const auto& k : held) args << "keyup" << k;
        const auto before = recorder.clicks.size();
        xdotool(args);
        spinUntil([&] { return recorder.clicks.size() > before; }, 6000);
    }

    qt::QtScheduler scheduler;
    std::unique_ptr<testing::TrayHost> host;
    std::unique_ptr<qt::QtStatusItem> item;
    Recorder recorder;
};

TEST_F(QtStatusItemTest, IconDocksInTheTrayAtTheBottomOfTheScreen) {
    start();
    EXPECT_TRUE(item->isAvailable());
    const QRect icon = iconOnScreen();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_GE(icon.width(), 16);
    EXPECT_LE(icon.height(), 24);
    // trayer's 24-pixel panel sits on the bottom edge; in bottom-left origin
    // coordinates the icon is therefore just above y = 0.
    EXPECT_GE(icon.top(), screen.bottom() - 24);
    EXPECT_LT(item->geometry()->y, 4);
    EXPECT_GT(icon.left(), screen.center().x());
}

TEST_F(QtStatusItemTest, ClicksReportTheButtonAndTheModifiersHeld) {
    start();
    clickIcon({"1"});
    clickIcon({"1"}, {"shift"});
    clickIcon({"3"});
    clickIcon({"1"}, {"ctrl"});
    const std::vector<Click> expected{{MouseButton::Left, {}},
                                      {MouseButton::Left, {.shift = true}},
                                      {MouseButton::Right, {}},
                                      {MouseButton::Left, {.control = true}}};
    EXPECT_EQ(recorder.clicks, expected);
    // Nobody asked for the menu, so no click opened one.
    testing::settle(200);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_FALSE(scheduler.isMenuTracking());
}

platform::MenuModel sampleMenu() {
    using platform::MenuItem;
    const std::string icon =
        std::string(QUORVEL_SOURCE_DIR) + "/data/icons/status/menubar-icon-active.svg";
    return {180,
            {MenuItem{.title = "Unfocus", .action = "toggleOverlay"},
             MenuItem{.title = "Include Editor & Co",
                      .action = "toggleForCurrentApp",
                      .iconName = icon,
                      .iconFaded = true},
             MenuItem::makeSeparator(),
             MenuItem{.title = " ✓   Ambient", .tag = 0, .action = "focusModeSelected:"},
             MenuItem{.title = "       Deep", .tag = 1, .action = "focusModeSelected:"},
             MenuItem::makeSeparator(),
             MenuItem{.title = "Check for updates", .enabled = false, .action = "checkForUpdates"},
             MenuItem{.title = "Quit", .action = "terminate:"}}};
}

TEST_F(QtStatusItemTest, RightClickMenuHoldsTimersAndReportsTheChosenItem) {
    start();
    recorder.onClick = [this](MouseButton b) {
        if (b == MouseButton::Right) item->showMenu(sampleMenu());
    };
    clickIcon({"3"});
    ASSERT_TRUE(spinUntil([this] { return item->openMenu() && item->openMenu()->isVisible(); }));
    QMenu* menu = item->openMenu();
    EXPECT_TRUE(scheduler.isMenuTracking());
    EXPECT_GE(menu->width(), 180);
    const auto actions = menu->actions();
    ASSERT_EQ(actions.size(), 8);
    EXPECT_TRUE(actions[2]->isSeparator());
    EXPECT_EQ(actions[1]->text(), "Include Editor && Co");
    EXPECT_FALSE(actions[6]->isEnabled());
    // The excluded application's icon: grey and half transparent.
    const QImage faded = actions[1]->icon().pixmap(20, 20).toImage();
    ASSERT_FALSE(faded.isNull());
    bool sawInk = false;
    for (int y = 0; y < faded.height(); ++y)
        for (int x = 0; x < faded.width(); ++x) {
            const QRgb p = faded.pixel(x, y);
            if (qAlpha(p) == 0) continue;
            sawInk = true;
            EXPECT_LE(qAlpha(p), 128);
            EXPECT_EQ(qRed(p), qGreen(p));
        }
    EXPECT_TRUE(sawInk);

    const QPoint deep = menu->mapToGlobal(menu->actionGeometry(actions[4]).center());
    xdotool({"mousemove", QString::number(deep.x()), QString::number(deep.y()), "click", "1"});
    ASSERT_TRUE(spinUntil([this] { return !recorder.chosen.empty(); }));
    EXPECT_EQ(recorder.chosen,
              (std::vector<std::pair<std::string, int>>{{"focusModeSelected:", 1}}));
    EXPECT_TRUE(spinUntil([this] { return !scheduler.isMenuTracking(); }));
}

TEST_F(QtStatusItemTest, EscapeClosesTheMenuWithoutAChoice) {
    start();
    item->showMenu(sampleMenu());
    ASSERT_TRUE(spinUntil([this] { return item->openMenu() && item->openMenu()->isVisible(); }));
    xdotool({"key", "Escape"});
    EXPECT_TRUE(spinUntil([this] { return !scheduler.isMenuTracking(); }));
    EXPECT_TRUE(recorder.chosen.empty());
}

TEST_F(QtStatusItemTest, TrayHostColoursWinOverThePalette) {
    start();
    const QColor drawn = item->foreground();
    EXPECT_EQ(drawn, QColor(0x20, 0x20, 0x20));  // light palette, nothing from the host
    const QString manager = QString::number(testing::TrayHost::managerWindow());
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
class TrayLookTest : public QtStatusItemTest, public ::testing::WithParamInterface<bool> {};

TEST_P(TrayLookTest, IconIsLegibleAndHintPointsAtIt) {
    const bool dark = GetParam();
    testing::run("xsetroot", {"-solid", "#6b7f99"});
    QApplication::setPalette(schemePalette(dark));
    start(dark ? "0x303030" : "0xeeeeee");
    const QRect icon = iconOnScreen();

    x11::Connection connection;
    x11::X11Screens screens(connection);
    qt::QtHintWindow hint;
    controls::TooltipWindow tooltip(hint, *item, screens);
    tooltip.showTooltip();
    ASSERT_TRUE(spinUntil([&] { return hint.isVisible() && hint.alpha() == 1.0; }));
    testing::settle(300);
    EXPECT_FALSE(hint.arrowUp());  // the tray is at the bottom: the hint stands above it
    EXPECT_EQ(hint.geometry().bottom() + 1, icon.top());
    EXPECT_EQ(hint.isDark(), dark);

    const QImage screen = testing::grabScreen();
    const QRect panelStrip(icon.left(), icon.bottom() - 1, icon.width(), 1);  // below the art
    const double panel = testing::meanLuminance(screen, panelStrip);
    int contrasting = 0;
    for (int y = icon.top(); y <= icon.bottom(); ++y)
        for (int x = icon.left(); x <= icon.right(); ++x)
            if (std::abs(qGray(screen.pixel(x, y)) - panel) > 100) ++contrasting;
    EXPECT_GE(contrasting, 30) << "panel luminance " << panel;
    const double body = testing::meanLuminance(screen, QRect(hint.x() + 3, hint.y() + 40, 6, 20));
    if (dark)
        EXPECT_LT(body, 90);
    else
        EXPECT_GT(body, 180);

    const QRect area =
        QRect(icon.center(), QSize(1, 1)).adjusted(-330, -180, 30, 12).intersected(screen.rect());
    testing::keepScreenshot(screen.copy(area), dark ? "tray-dark.png" : "tray-light.png");
}

INSTANTIATE_TEST_SUITE_P(Schemes, TrayLookTest, ::testing::Values(false, true),
                         [](const auto& p) { return p.param ? "Dark" : "Light"; });

}  // namespace
}  // namespace quorvel
