// The list of applications that suspend focus while they are in front.
#include "rules/excluded_apps_manager.h"

#include <gtest/gtest.h>

#include "sim/desktop_fixture.h"

namespace quorvel::sim {
namespace {

settings::ExcludedApp app(const std::string& bundleId, const std::string& name = "App") {
    return {settings::makeUuid(), name, bundleId, ""};
}

class ExcludedApps : public DesktopTest {
protected:
    std::vector<core::Notification> changes;
    core::Observation watch{context.notificationCenter(), "ExcludedAppsDidChange",
                            [this](const core::Notification& n) { changes.push_back(n); }};
    rules::ExcludedAppsManager& manager() { return context.excludedAppsManager(); }
    std::vector<std::string> ids() {
        std::vector<std::string> result;
        for (const auto& a : manager().excludedApps()) result.push_back(a.bundleId);
        return result;
    }
};

TEST_F(ExcludedApps, ExcludingTheFrontAppGivesPanelsBackAlwaysIncludingHidesThemOnlyWithFocus) {
    front("org.gimp.GIMP");
    manager().addApp(app("org.inkscape.Inkscape"));
    EXPECT_TRUE(autoHideCalls.empty());
    manager().addApp(app("org.gimp.GIMP"));
    EXPECT_EQ(autoHideCalls, (std::vector<bool>{false})) << "even with focus off";
    manager().removeApp("org.gimp.GIMP");
    EXPECT_EQ(autoHideCalls, (std::vector<bool>{false})) << "focus is off";
    manager().addApp(app("org.gimp.GIMP"));
    autoHideCalls.clear();
    detecting = true;
    manager().removeApp("org.gimp.GIMP");
    EXPECT_EQ(autoHideCalls, (std::vector<bool>{true}));
}

TEST_F(ExcludedApps, CheckRequestIsAnsweredOnlyWhenWellFormed) {
    struct Case {
        const char* name;
        core::UserInfo request;
        std::optional<bool> answer;
    };
    const Case cases[] = {
        {"listed", {{"bundleId", std::string("org.gimp.GIMP")}}, true},
        {"other case", {{"bundleId", std::string("org.gimp.gimp")}}, false},
        {"not text", {{"bundleId", 42}}, std::nullopt},
        {"no id", {}, std::nullopt},
    };
    manager().addApp(app("org.gimp.GIMP"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<core::Notification> replies;
        core::Observation r(context.notificationCenter(), "ExcludedAppCheckResult",
                            [&](const core::Notification& n) { replies.push_back(n); });
        context.notificationCenter().post("CheckExcludedApp", c.request);
        ASSERT_EQ(replies.size(), c.answer ? 1u : 0u);
        if (!c.answer) continue;
        EXPECT_EQ(replies[0].value<bool>("isExcluded"), c.answer);
        EXPECT_EQ(replies[0].userInfo.size(), 1u) << "the reply does not repeat the id";
    }
}

}  // namespace
}  // namespace quorvel::sim
