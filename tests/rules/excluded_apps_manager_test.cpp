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

TEST_F(ExcludedApps, EveryChangeIsSavedAndAnnouncedOnceAndNonChangesAreSilent) {
    int settingsWrites = 0;
    core::Observation w(context.notificationCenter(), "SettingsDidChange",
                        [&](const core::Notification&) { ++settingsWrites; });
    manager().addApp(app("org.gimp.GIMP", "GIMP"));
    manager().addApp(app("org.gimp.GIMP", "Another name"));  // already listed
    manager().addApp(app("org.inkscape.Inkscape", "Inkscape"));
    EXPECT_EQ(ids(), (std::vector<std::string>{"org.gimp.GIMP", "org.inkscape.Inkscape"}));
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[0].value<settings::ExcludedApp>("addedApp")->bundleId, "org.gimp.GIMP");

    manager().removeApp("org.gimp.GIMP");
    ASSERT_EQ(changes.size(), 3u);
    EXPECT_EQ(changes[2].value<std::string>("removedBundleId"), "org.gimp.GIMP");
    EXPECT_EQ(context.settingsManager().excludedApps().size(), 1u);

    const int writes = settingsWrites;
    manager().removeApp("not.there");
    EXPECT_EQ(changes.size(), 3u);
    EXPECT_EQ(settingsWrites, writes);
}

TEST_F(ExcludedApps, DuplicateStoredEntriesAreRemovedOneAtATime) {
    context.settingsManager().setExcludedApps({app("a.b"), app("c.d"), app("a.b")});
    manager().removeApp("a.b");
    EXPECT_EQ(ids(), (std::vector<std::string>{"c.d", "a.b"}));
}

TEST_F(ExcludedApps, EmptyListIsSeededWithTheInstalledDefaults) {
    harness.catalog().addApplication("org.gnome.Nautilus", "Files");
    harness.catalog().addApplication("gcolor3", "Color Picker");
    context.settingsManager().setExcludedApps({});
    EXPECT_EQ(ids(), (std::vector<std::string>{"gcolor3", "org.gnome.Nautilus"}));
    ASSERT_EQ(changes.size(), 2u) << "each default added and announced on its own";
    EXPECT_TRUE(changes[0].value<settings::ExcludedApp>("addedApp"));
}

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
