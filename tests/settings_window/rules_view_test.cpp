#include "settings_window/rules_view.h"

#include "settings_window_fixture.h"

namespace quorvel::settings_window::testing {
namespace {

namespace keys = settings::keys;
using settings::AutoHideOption;
using Outcome = ports::ScriptOutcome;

class RulesViewTest : public SettingsWindowTest {
protected:
    RulesView& open() {
        if (!services) start();
        view = std::make_unique<RulesView>(*services);
        view->appear();
        return *view;
    }
    static Outcome refused() {
        return Outcome::failed({ports::scriptNotPermittedError, "not answering"});
    }
    std::unique_ptr<RulesView> view;
};

TEST(PermissionProbeTest, OnlyAnUncompilableOrRefusedProbeMeansNoPermission) {
    struct Case {
        const char* name;
        Outcome outcome;
        bool granted;
    };
    const std::vector<Case> cases{
        {"returned", Outcome::returned(true), true},
        {"not compiled", Outcome::notCompiled(), false},
        {"refused", Outcome::failed({ports::scriptNotPermittedError, ""}), false},
        {"other error", Outcome::failed({1, "panel missing"}), true},
        {"error without number", Outcome::failed({std::nullopt, "?"}), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(permissionFromProbe(c.outcome), c.granted);
    }
}

TEST_F(RulesViewTest, SwitchingOnWithoutPermissionWaitsAndGrantingStoresTheOptionWithinTwoSeconds) {
    probeOutcome = refused();
    auto& tab = open();
    tab.setAutoHideEnabled(true);
    EXPECT_TRUE(storedBool(keys::isAutoHideEnabled));
    EXPECT_FALSE(tab.state().permissionGranted);
    EXPECT_EQ(permissionMonitoring, (std::vector<std::pair<std::string, bool>>{{"both", true}}));
    EXPECT_TRUE(autoHide.empty());
    ASSERT_TRUE(tab.isMonitoringPermission());

    probeOutcome = Outcome::returned(true);  // the panel service answers now
    scheduler.advance(2.0);
    EXPECT_TRUE(tab.state().permissionGranted);
    EXPECT_TRUE(log.contains("🪟 Permission status changed: true"));
    EXPECT_EQ(autoHide, std::vector<bool>{true});  // focus is on
}

TEST_F(RulesViewTest, RetryAsksThePanelSettingsAgainAndOpensThem) {
    probeOutcome = refused();
    start();
    settings().setAutoHideEnabled(true);
    auto& tab = open();
    ASSERT_FALSE(tab.state().permissionGranted);
    probeOutcome = Outcome::returned(true);
    tab.pressPermissionButton();
    EXPECT_TRUE(tab.state().permissionGranted) << "at once, not at the next tick";
    EXPECT_EQ(automationSettingsOpened, 1);
}

TEST(AutoHideLabelTest, ChoicesNamePanelsInTheDesktopsWords) {
    using O = AutoHideOption;
    EXPECT_EQ(autoHideOptionLabel(O::hideDock, ""), "Bottom panel");
    EXPECT_EQ(autoHideOptionLabel(O::hideDock, "KDE"), "Other panels");
    EXPECT_EQ(autoHideOptionLabel(O::hideDock, "GNOME"), "Dock");
}

}  // namespace
}  // namespace quorvel::settings_window::testing
