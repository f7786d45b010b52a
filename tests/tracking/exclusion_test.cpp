// An excluded application in front: the veil steps aside and the panels come
// back, each reported once per change.
#include <gtest/gtest.h>

#include "sim/desktop_fixture.h"

namespace quorvel::sim {
namespace {

class Exclusion : public DesktopTest {
protected:
    void SetUp() override {
        desktop.addMonitor({1920, 0, 1920, 1080}, 2);
        openWindow("Files", {100, 100, 800, 600});
        openWindow("Terminal", {2100, 100, 800, 600});
        context.excludedAppsManager().addApp({"id-1", "Color Picker", "org.example.Picker", ""});
        setDuration(0.0);
        front("org.example.Editor");
        focusOn();
        harness.ticks(1);
    }
};

TEST_F(Exclusion, RemovesAllOverlaysAndReportsTheChangeOnceEachWay) {
    ASSERT_EQ(shownOverlays(), 2u);
    EXPECT_EQ(autoHideCalls, (std::vector<bool>{true}));

    front("org.example.Picker");
    harness.ticks(5);
    EXPECT_EQ(shownOverlays(), 0u);
    EXPECT_EQ(desktop.openOverlayCount(), 0u);
    EXPECT_EQ(autoHideCalls, (std::vector<bool>{true, false}));

    front("org.example.Editor");
    harness.ticks(5);
    EXPECT_EQ(shownOverlays(), 2u);
    EXPECT_EQ(autoHideCalls, (std::vector<bool>{true, false, true}));
}

TEST_F(Exclusion, MatchingIsExactAndCaseSensitiveAndNoIdIsNeverExcluded) {
    using App = std::optional<platform::RunningApplication>;
    const std::pair<const char*, App> cases[] = {
        {"other case", platform::RunningApplication{"org.example.picker", "Picker"}},
        {"longer id", platform::RunningApplication{"org.example.Picker2", "Picker"}},
        {"name only", platform::RunningApplication{"Picker", "Picker"}},
        {"nothing in front", std::nullopt},
        {"no id", platform::RunningApplication{std::nullopt, "Untitled"}},
    };
    for (const auto& [name, app] : cases) {
        desktop.setFrontmostApplication(app);
        harness.ticks(2);
        EXPECT_EQ(shownOverlays(), 2u) << name;
    }
    EXPECT_EQ(autoHideCalls, (std::vector<bool>{true}));
}

TEST_F(Exclusion, ExcludingTheFrontApplicationTakesEffectOnTheNextTick) {
    context.excludedAppsManager().addApp({"id-2", "Editor", "org.example.Editor", ""});
    EXPECT_EQ(autoHideCalls, (std::vector<bool>{true, false})) << "panels back at once";
    harness.ticks(1);
    EXPECT_EQ(shownOverlays(), 0u);
    EXPECT_EQ(autoHideCalls, (std::vector<bool>{true, false, false}))
        << "the controller reports its own change as well";
}

}  // namespace
}  // namespace quorvel::sim
