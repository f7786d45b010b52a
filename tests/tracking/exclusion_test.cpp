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

}  // namespace
}  // namespace quorvel::sim
