// The rules the user sets: which applications suspend focus, and the panels
// hidden while focus is on and given back as the user had them.
#include <gtest/gtest.h>

#include "rules/desktop_panel_tables.h"
#include "rules/panel_scripts.h"
#include "sim/sim_test.h"

namespace quorvel::sim {
namespace {

/// A desktop whose dock starts at the user's own "1" (hide intelligently) and
/// whose top panel at "2" (always hide); hidden is "2", shown "0".
class RulesTest : public SimTest {
protected:
    RulesTest() {
        harness.scripts.setPanel("dock", "dock-1", "1");
        harness.scripts.setPanel("top", "top-1", "2");
        harness.panelScripts = SimScriptService::panelScripts();
        editor = open("Editor", {100, 100, 800, 600});
    }
    std::string dock() { return harness.scripts.value("dock", "dock-1"); }
    std::string top() { return harness.scripts.value("top", "top-1"); }

    ports::WindowId editor = 0;
};

TEST_F(RulesTest, ThePanelsTheChoiceNamesHideWhileFocusIsOnAndComeBackAsTheUserHadThem) {
    struct Case {
        const char* choice;
        const char* dock;
        const char* top;
    };
    auto& application = focusOn({{"isAutoHideEnabled", true}});
    for (const Case c : {Case{"dock", "2", "0"}, Case{"top", "0", "2"}, Case{"both", "2", "2"}}) {
        SCOPED_TRACE(c.choice);
        application.settings().panels.set(*settings::parsePanelChoice(c.choice));
        EXPECT_EQ(dock(), c.dock);
        EXPECT_EQ(top(), c.top) << "the panel the choice leaves out shows";
        application.session().setOn(false);
        EXPECT_EQ(dock(), "1") << "the user's 'intelligently' comes back as such";
        EXPECT_EQ(top(), "2");
        application.session().setOn(true);
    }
    // Set by hand while hidden: the user's new choice is what comes back.
    harness.scripts.setPanel("top", "top-1", "1");
    application.session().setOn(false);
    EXPECT_EQ(top(), "1");
}

// That its veils step aside is the tracking tests'.
TEST_F(RulesTest, AnExcludedApplicationInFrontGetsThePanelsBack) {
    auto& application = focusOn({{"isAutoHideEnabled", true}});
    EXPECT_EQ(dock(), "2");
    application.excludedApps().addInstalled("Editor");
    harness.ticks(1);
    EXPECT_EQ(dock(), "1");
    open("Terminal", {200, 200, 600, 400});
    harness.ticks(1);
    EXPECT_EQ(dock(), "2") << "hidden again with another application in front";
}

TEST_F(RulesTest, ASilentSettingsServiceIsAskedEverySecondAndThePanelsHideOnceItAnswers) {
    harness.scripts.setRefusing(true);
    auto& application = focusOn({{"isAutoHideEnabled", true}});
    EXPECT_TRUE(application.panels()->isWaitingForService());
    harness.scheduler.setMenuTracking(true);  // it keeps asking while a menu is open
    harness.advance(3.0);
    harness.scheduler.setMenuTracking(false);
    EXPECT_EQ(dock(), "1");
    harness.scripts.setRefusing(false);
    harness.advance(1.0);
    EXPECT_FALSE(application.panels()->isWaitingForService());
    EXPECT_EQ(dock(), "2");
    application.session().setOn(false);
    EXPECT_EQ(dock(), "1");
}

TEST_F(RulesTest, APanelAlreadyHiddenIsNeverTakenForTheUsersOwnWhileTheOtherWaits) {
    harness.scripts.setPanel("top", "top-1", "1");
    harness.scripts.setRefusing(true, "top");
    auto& application = focusOn({{"isAutoHideEnabled", true}});
    EXPECT_EQ(dock(), "2") << "the panel that answers hides at once";
    harness.advance(3.0);
    harness.scripts.setRefusing(false);
    harness.advance(1.0);
    EXPECT_EQ(top(), "2");
    application.session().setOn(false);
    EXPECT_EQ(dock(), "1") << "the dock comes back as the user had it, not as we hid it";
    EXPECT_EQ(top(), "1");
}

TEST_F(RulesTest, AnEmptyListOfExcludedApplicationsGetsTheInstalledDefaultsAtStart) {
    harness.catalog.addApplication("nl.hjdskes.gcolor3", "Color Picker", "gcolor3");
    harness.catalog.addApplication("org.gnome.Nautilus", "Files", "org.gnome.Nautilus");
    auto& application = harness.start({{"isOverlayEnabled", false}});
    const auto& list = application.excludedApps().list();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].appId, "nl.hjdskes.gcolor3");
    EXPECT_EQ(list[1].appId, "org.gnome.Nautilus");
    const std::string id = list[1].id;
    application.excludedApps().remove("nl.hjdskes.gcolor3");
    EXPECT_EQ(application.excludedApps().list()[0].id, id) << "an entry keeps its identity";
    EXPECT_FALSE(application.excludedApps().addInstalled("not.installed"));
    application.excludedApps().addInstalled("Editor");
    EXPECT_TRUE(harness.relaunch().excludedApps().isExcluded("Editor"))
        << "the user's list is kept";
    harness.app().excludedApps().remove("org.gnome.Nautilus");
    harness.app().excludedApps().remove("Editor");
    EXPECT_EQ(harness.relaunch().excludedApps().list().size(), 2u) << "an empty one is seeded";
}

TEST(PanelScriptsTest, ReadsOnlyPlainIdValuePairs) {
    const rules::PanelElementScripts xfce = rules::xfcePanelScripts().dock;
    struct Case {
        std::string text;
        std::optional<std::string> raw;
        bool hidden;
    };
    const Case cases[] = {
        {"panel-2=1 panel-3=2 ", "panel-2=1 panel-3=2", false},
        {"panel-2=2\n", "panel-2=2", true},
        {"", "", false},  // no dock panels at all
        {"dock=false,true,false", "dock=false,true,false", false},
        {"panel-2='1'", std::nullopt, false},  // would break out of the write's quoting
        {"panel-2=1;reboot", std::nullopt, false},
        {"true", std::nullopt, false},
        {"panel-2=", std::nullopt, false},
    };
    for (const auto& c : cases) {
        const auto setting = rules::readSetting(xfce, c.text);
        ASSERT_EQ(setting.has_value(), c.raw.has_value()) << c.text;
        if (!setting) continue;
        EXPECT_EQ(setting->raw, *c.raw) << c.text;
        EXPECT_EQ(setting->autoHide, c.hidden) << c.text;
    }
}

}  // namespace
}  // namespace quorvel::sim
