// The whole application on the simulated desktop: the order in which the
// subsystems come up, and how focus survives lock, unlock, wake and quit.
#include <gtest/gtest.h>

#include <string>

#include "app/app_context.h"
#include "app/app_delegate.h"
#include "controls/menu_bar_item.h"
#include "core/log.h"
#include "core/virtual_scheduler.h"
#include "sim/sim_app_catalog.h"
#include "sim/sim_application.h"
#include "sim/sim_desktop.h"
#include "sim/sim_global_hotkeys.h"
#include "sim/sim_keyboard_layout.h"
#include "sim/sim_launcher_badge.h"
#include "sim/sim_login_items.h"
#include "sim/sim_script_service.h"
#include "sim/sim_session_events.h"
#include "sim/sim_status_item.h"
#include "sim/sim_update_driver.h"
#include "sim/sim_user_notifications.h"
#include "sim/sim_wall_clock.h"
#include "settings/settings_keys.h"

namespace quorvel::app {
namespace {

class LifecycleTest : public ::testing::Test {
protected:
    LifecycleTest() {
        desktop.addMonitor({0, 0, 1440, 900});
        sim::WindowSpec editor;
        editor.owner = "Editor";
        editor.bounds = {100, 100, 800, 600};
        desktop.addWindow(editor);
        scripts.setPanel("dock", "1", "0");
        scripts.setPanel("menubar", "2", "1");
    }

    DesktopPorts ports() {
        DesktopPorts p{scheduler, desktop, desktop, desktop, desktop, desktop, catalog, keyboard};
        p.statusItem = &tray;
        p.globalHotkeys = &hotkeys;
        p.scripts = &scripts;
        p.panelScripts = sim::SimScriptService::panelScripts();
        p.updateDriver = &updater;
        p.userNotifications = &notes;
        p.launcherBadge = &badge;
        p.presence = &presence;
        p.wallClock = &clock;
        p.loginItems = &loginItems;
        p.sessionEvents = &session;
        return p;
    }

    void launch() {
        delegate = std::make_unique<AppDelegate>(context, server, presence);
        delegate->applicationDidFinishLaunching();
        scheduler.runPending();
    }
    bool veiled() { return context.overlayController().isMonitoring(); }

    core::LogCapture log;
    core::VirtualScheduler scheduler;
    sim::SimDesktop desktop{scheduler};
    sim::SimAppCatalog catalog;
    sim::SimKeyboardLayout keyboard = sim::SimKeyboardLayout::usLayout();
    sim::SimStatusItem tray;
    sim::SimGlobalHotkeys hotkeys;
    sim::SimScriptService scripts;
    sim::SimUpdateDriver updater;
    sim::SimUserNotifications notes;
    sim::SimLauncherBadge badge;
    sim::SimWallClock clock{scheduler};
    sim::SimLoginItems loginItems;
    sim::SimSessionEvents session;
    sim::SimPresence presence;
    sim::SimWindowServer server;
    AppContext context{ports()};
    std::unique_ptr<AppDelegate> delegate;
};

TEST_F(LifecycleTest, LockStopsTheVeilAndUnlockBringsItBackAThirdOfASecondLater) {
    launch();
    session.lock();
    EXPECT_FALSE(veiled());
    EXPECT_TRUE(context.menuBarItem().isDetecting());  // focus itself stays on
    session.unlock();
    scheduler.advance(0.25);
    EXPECT_FALSE(veiled());
    scheduler.advance(0.1);
    EXPECT_TRUE(veiled());
}

TEST_F(LifecycleTest, WakeWhileLockedWaitsForTheUnlock) {
    launch();
    session.lock();
    session.wake();
    scheduler.advance(1.0);
    EXPECT_FALSE(veiled());
    EXPECT_FALSE(delegate->isHandlingWake());
    session.unlock();
    scheduler.advance(0.31);
    EXPECT_TRUE(veiled());
}

TEST_F(LifecycleTest, QuitGivesThePanelsBackAsTheUserHadThem) {
    context.settingsManager().setAutoHideEnabled(true);
    launch();
    scheduler.advance(0.2);  // a tick: the veil applies auto-hide
    EXPECT_EQ(scripts.value("dock", "1"), "2");
    delegate->applicationWillTerminate();
    EXPECT_FALSE(veiled());
    EXPECT_EQ(scripts.value("dock", "1"), "0");
    EXPECT_EQ(scripts.value("menubar", "2"), "1");  // "intelligently", exactly
    EXPECT_EQ(session.observerCount(), 0u);
}

}  // namespace
}  // namespace quorvel::app
