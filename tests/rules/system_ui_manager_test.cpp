#include "rules/system_ui_manager.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "rules/system_ui_fixture.h"
#include "settings/notification_names.h"

namespace quorvel::rules {
namespace {

class SystemUIManagerTest : public ::testing::Test, public SystemUIFixture {};

TEST_F(SystemUIManagerTest, DockOptionHidesTheDockShowsTheTopBarAndGivesBothAsFirstCapturedBack) {
    enableAutoHide("dock");
    auto& m = start();

    m.updateAutoHide(true);
    EXPECT_EQ(dock(), "2");
    EXPECT_EQ(topBar(), "0");  // the option leaves it out: shown, not the user's value
    EXPECT_TRUE(
        logs.contains("🪟 Applying auto-hide settings: isEnabled=true, "
                      "isAutoHideEnabled=true, option='dock'"));
    EXPECT_TRUE(
        logs.contains("🪟 Captured original system settings - Dock: false, Menu Bar: true"));
    EXPECT_TRUE(logs.contains("🪟 Option 'Dock': Enabling auto-hide for dock only"));
    EXPECT_TRUE(logs.contains("🪟 Executing AppleScript: sim write dock 2"));

    m.updateAutoHide(false);
    EXPECT_TRUE(logs.contains(
        "🪟 Focus is off or auto-hide is disabled: Restoring original system settings"));
    EXPECT_EQ(dock(), "1") << "the user's 'intelligently' comes back as such";
    EXPECT_EQ(topBar(), "2");
    EXPECT_TRUE(
        logs.contains("🪟 Restored original system settings - Dock: false, Menu Bar: true"));

    // Capture happens once: a second apply does not read the panels again.
    m.updateAutoHide(true);
    EXPECT_EQ(logs.count("🪟 Captured original system settings - Dock: false, Menu Bar: true"),
              1u);
    EXPECT_EQ(m.originalDockAutoHide()->raw, "dock-1=1");

    // The first capture is what comes back, even after a change by hand while focus was off.
    m.updateAutoHide(false);
    desktop.setPanel("dock", "dock-1", "0");
    m.updateAutoHide(true);
    m.updateAutoHide(false);
    EXPECT_EQ(dock(), "1");
}

struct OptionCase {
    std::string stored;
    std::string dock;
    std::string topBar;
    std::string line;
};

class OptionSpellingTest : public ::testing::TestWithParam<OptionCase>, public SystemUIFixture {};

TEST_P(OptionSpellingTest, HidesWhatTheOptionNames) {
    const auto& c = GetParam();
    desktop.setPanel("menubar", "top-1", "1");
    enableAutoHide(c.stored);
    start().updateAutoHide(true);
    EXPECT_EQ(dock(), c.dock);
    EXPECT_EQ(topBar(), c.topBar);
    EXPECT_TRUE(logs.contains(c.line)) << c.stored;
}

INSTANTIATE_TEST_SUITE_P(
    Spellings, OptionSpellingTest,
    ::testing::Values(
        OptionCase{"Menu Bar", "0", "2",
                   "🪟 Option 'Menu bar': Enabling auto-hide for menu bar only"},
        OptionCase{"menubar", "0", "2",
                   "🪟 Option 'Menu bar': Enabling auto-hide for menu bar only"},
        OptionCase{"DOCK", "2", "0", "🪟 Option 'Dock': Enabling auto-hide for dock only"},
        OptionCase{"Both", "2", "2",
                   "🪟 Option 'Both': Enabling auto-hide for both dock and menu bar"},
        OptionCase{"As System", "2", "2",
                   "🪟 Unknown option: As System, using 'Both' as default"},
        OptionCase{"MenuBar ", "2", "2",
                   "🪟 Unknown option: MenuBar , using 'Both' as default"}));

}  // namespace
}  // namespace quorvel::rules
