// The main menu as the application keeps it: set up at launch, re-applied
// after launch, on activation and by the periodic check, and its commands.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/app_context.h"
#include "app/app_delegate.h"
#include "app/main_menu.h"
#include "core/log.h"
#include "core/virtual_scheduler.h"
#include "sim/sim_app_catalog.h"
#include "sim/sim_application.h"
#include "sim/sim_desktop.h"
#include "sim/sim_keyboard_layout.h"
#include "settings/notification_names.h"

namespace quorvel::app {
namespace {

class AppMenuTest : public ::testing::Test {
protected:
    AppMenuTest() {
        bar.items = {makeApplicationMenu(), ports::MainMenuItem{.title = "Edit"}};
        context.applicationHooks().showSettingsTab = [this](const std::string& tab) {
            hookCalls.push_back("tab:" + tab);
        };
        context.applicationHooks().openSettings = [this] { hookCalls.push_back("settings"); };
        context.applicationHooks().quit = [this] { hookCalls.push_back("quit"); };
    }

    DesktopPorts ports() {
        DesktopPorts p{scheduler, desktop, desktop, desktop, desktop, desktop, catalog, keyboard};
        p.mainMenu = &bar;
        p.urlOpener = &opener;
        return p;
    }
    void launch() {
        delegate.applicationDidFinishLaunching();
        scheduler.runPending();
    }
    std::vector<std::string> titles() const {
        std::vector<std::string> result;
        for (const auto& top : bar.items) result.push_back(top.title);
        return result;
    }
    long count(const std::string& line) const {
        return std::count(log.lines().begin(), log.lines().end(), line);
    }

    core::VirtualScheduler scheduler;
    sim::SimDesktop desktop{scheduler};
    sim::SimAppCatalog catalog;
    sim::SimKeyboardLayout keyboard;
    ports::MainMenu bar;
    sim::SimUrlOpener opener;
    AppContext context{ports()};
    sim::SimWindowServer server;
    sim::SimPresence presence;
    core::LogCapture log;
    std::vector<std::string> hookCalls;
    AppDelegate delegate{context, server, presence};
};

TEST_F(AppMenuTest, FeedbackAndLearnMoreOpenTheirLinks) {
    EXPECT_TRUE(delegate.performMenuAction(main_menu_action::contactSupport));
    EXPECT_TRUE(delegate.performMenuAction(main_menu_action::openLearnMorePage));
    ASSERT_EQ(opener.opened.size(), 2u);
    EXPECT_EQ(opener.opened[0].rfind("mailto:", 0), 0u);
    EXPECT_EQ(opener.opened[1].rfind("https://", 0), 0u);
    EXPECT_EQ(log.lines(), (std::vector<std::string>{"📧 Opening email client with support address",
                                                     "🌐 Opening Quorvel product page"}));
}

}  // namespace
}  // namespace quorvel::app
