#include "app/main_menu.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/log.h"

namespace quorvel::app {
namespace {

using ports::MainMenuItem;

MainMenuItem menu(const std::string& title, std::vector<std::string> entries = {"Item"}) {
    MainMenuItem top{.title = title};
    for (auto& e : entries) top.submenu.push_back(MainMenuItem{.title = e});
    return top;
}

std::vector<std::string> titles(const ports::MainMenu& m) {
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

    ports::MainMenu bar;
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

    // The menu is checked again and again; only a change is listed again.
    const std::size_t listed = lines.size();
    removeStandardMenus(&bar);
    EXPECT_EQ(log.lines().size(), listed) << "an unchanged menu is not listed again";
    bar.items.push_back(menu("Tools"));
    removeStandardMenus(&bar);
    ASSERT_GT(log.lines().size(), listed) << "a changed menu is listed";
    EXPECT_EQ(log.lines()[listed], "📋 Final menu items:");
    EXPECT_EQ(log.lines().back(), "📋   [0] Item");
}

}  // namespace
}  // namespace quorvel::app
