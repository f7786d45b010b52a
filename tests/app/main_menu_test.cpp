#include "app/main_menu.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/log.h"

namespace quorvel::app {
namespace {

using platform::MainMenuItem;

MainMenuItem menu(const std::string& title, std::vector<std::string> entries = {"Item"}) {
    MainMenuItem top{.title = title};
    for (auto& e : entries) top.submenu.push_back(MainMenuItem{.title = e});
    return top;
}

std::vector<std::string> titles(const platform::MainMenu& m) {
    std::vector<std::string> result;
    for (const auto& top : m.items) result.push_back(top.title);
    return result;
}

class MainMenuTest : public ::testing::Test {
protected:
    /// The log without the closing structure listing.
    std::vector<std::string> actions() const {
        std::vector<std::string> result;
        for (const auto& line : log.lines()) {
            if (line.rfind("📋 [", 0) == 0 || line.rfind("📋   [", 0) == 0) continue;
            result.push_back(line);
        }
        return result;
    }

    platform::MainMenu bar;
    core::LogCapture log;
    int redraws = 0;
    core::Connection redraw = bar.changed().connect([this] { ++redraws; });
};

TEST_F(MainMenuTest, FirstSetupOnAFullMenuBarLeavesTheApplicationAndCustomMenus) {
    bar.items = {makeApplicationMenu(), menu("File"),   menu("Edit"),
                 menu("View"),          menu("Window"), menu("Help")};
    setupMainMenu(&bar);
    EXPECT_EQ(actions(), (std::vector<std::string>{
                             "📋 Creating ••• menu with essential commands",
                             "✅ Removed existing Edit menu before adding custom menu",
                             "✅ Added ••• menu to main menu bar at position 1",
                             "✅ Removed File menu: File",
                             "✅ Removed View menu: View",
                             "✅ Removed Window menu: Window",
                             "✅ Removed Help menu: Help",
                             "📋 Final menu items:",
                         }));
    ASSERT_EQ(titles(bar), (std::vector<std::string>{"Quorvel", "•••"}));
    const auto& custom = bar.items[1];
    EXPECT_TRUE(custom.action.empty());
    EXPECT_TRUE(custom.keyEquivalent.empty());
    std::vector<std::string> rows;
    for (const auto& e : custom.submenu)
        rows.push_back(e.separator ? "-" : e.title + "|" + e.action + "|" + e.keyEquivalent);
    EXPECT_EQ(rows,
              (std::vector<std::string>{
                  "Send Feedback|contactSupport|", "Learn More|openLearnMorePage|", "-",
                  "Cut|cut:|x", "Copy|copy:|c", "Paste|paste:|v", "Select All|selectAll:|a"}));
    EXPECT_GE(redraws, 1) << "the bar on screen must be redrawn";
    // The listing names every top-level menu and every row of its submenu.
    const auto& lines = log.lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "📋 [1] •••"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "📋   [0] Send Feedback"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "📋   [4] Settings..."), lines.end());
}

TEST_F(MainMenuTest, SecondSetupChangesNothingAndOnlyListsTheMenus) {
    bar.items = {makeApplicationMenu()};
    setupMainMenu(&bar);
    const auto before = bar.items;
    log.clear();
    redraws = 0;
    setupMainMenu(&bar);
    EXPECT_EQ(bar.items, before);
    EXPECT_EQ(actions(), (std::vector<std::string>{"📋 Final menu items:"}));
    EXPECT_EQ(redraws, 0);
}

TEST_F(MainMenuTest, CustomMenuElsewhereMovesToSecondPlace) {
    bar.items = {makeApplicationMenu()};
    setupMainMenu(&bar);
    bar.items.insert(bar.items.begin() + 1, menu("Tools"));
    bar.items.insert(bar.items.begin() + 1, menu("Go"));
    setupMainMenu(&bar);
    EXPECT_EQ(titles(bar), (std::vector<std::string>{"Quorvel", "•••", "Go", "Tools"}));
    EXPECT_NE(std::find(log.lines().begin(), log.lines().end(),
                        "✅ Repositioned existing ••• menu to position 1"),
              log.lines().end());
}

TEST_F(MainMenuTest, AloneTheCustomMenuStaysWhereItIs) {
    bar.items = {};
    setupMainMenu(&bar);
    EXPECT_EQ(titles(bar), (std::vector<std::string>{"•••"}));
    EXPECT_NE(std::find(log.lines().begin(), log.lines().end(),
                        "✅ Added ••• menu to main menu bar at position 0"),
              log.lines().end());
    log.clear();
    setupMainMenu(&bar);
    EXPECT_EQ(actions(), (std::vector<std::string>{"📋 Final menu items:"}));
}

TEST_F(MainMenuTest, BulletsWithoutSendFeedbackAreSomeoneElsesMenu) {
    bar.items = {makeApplicationMenu(), menu("•••", {"Preferences"})};
    setupMainMenu(&bar);
    EXPECT_EQ(titles(bar), (std::vector<std::string>{"Quorvel", "•••", "•••"}));
    EXPECT_EQ(bar.items[1].submenu.front().title, "Send Feedback");
    EXPECT_EQ(bar.items[2].submenu.front().title, "Preferences");
}

TEST_F(MainMenuTest, OnlyTopLevelMenusAreRemoved) {
    bar.items = {makeApplicationMenu(), menu("Tools", {"File", "Help"}), menu("Help")};
    removeStandardMenus(&bar);
    ASSERT_EQ(titles(bar), (std::vector<std::string>{"Quorvel", "Tools"}));
    EXPECT_EQ(bar.items[1].submenu.size(), 2u);
}

TEST_F(MainMenuTest, CheckReappliesOnlyWhenEditCameBackOrTheCustomMenuWent) {
    bar.items = {makeApplicationMenu()};
    setupMainMenu(&bar);
    log.clear();
    checkMenuStructure(&bar);
    EXPECT_TRUE(log.lines().empty()) << "nothing to do: nothing printed";

    bar.items.push_back(menu("Edit"));
    checkMenuStructure(&bar);
    EXPECT_EQ(actions().front(), "🔄 Menu structure changed, reapplying custom menu");
    EXPECT_EQ(titles(bar), (std::vector<std::string>{"Quorvel", "•••"}));

    log.clear();
    bar.items.erase(bar.items.begin() + 1);
    checkMenuStructure(&bar);
    EXPECT_EQ(actions().front(), "🔄 Menu structure changed, reapplying custom menu");
    EXPECT_EQ(titles(bar), (std::vector<std::string>{"Quorvel", "•••"}));
}

TEST_F(MainMenuTest, WithoutAMainMenuOnlySetupSpeaks) {
    setupMainMenu(nullptr);
    removeStandardMenus(nullptr);
    checkMenuStructure(nullptr);
    EXPECT_EQ(log.lines(), (std::vector<std::string>{"⚠️ Main menu not available"}));
}

}  // namespace
}  // namespace quorvel::app
