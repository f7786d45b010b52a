// The veil fades in when it appears and out when it goes.
#include "look/overlay_transition_manager.h"

#include <gtest/gtest.h>

#include "sim/desktop_fixture.h"

namespace quorvel::sim {
namespace {

class Fades : public DesktopTest {
protected:
    std::int64_t window = openWindow("Terminal", {200, 150, 800, 600});
    std::shared_ptr<SimOverlayWindow> veil() const { return desktop.createdOverlays().back(); }
};

TEST_F(Fades, HalfASecondFadeInAndOut) {
    setDuration(0.5);
    focusOn();
    EXPECT_DOUBLE_EQ(veil()->alpha(), 0.0);
    EXPECT_TRUE(veil()->isVisible()) << "ordered in at once";
    harness.advance(0.25);
    EXPECT_NEAR(veil()->alpha(), 0.5, 1e-9);
    harness.advance(0.25);
    EXPECT_DOUBLE_EQ(veil()->alpha(), 1.0);

    desktop.closeWindow(window);
    harness.ticks(1);
    EXPECT_GT(veil()->alpha(), 0.0);
    EXPECT_FALSE(veil()->isClosed());
    harness.advance(0.5);
    EXPECT_DOUBLE_EQ(veil()->alpha(), 0.0);
    EXPECT_TRUE(veil()->isClosed());
    EXPECT_EQ(desktop.openOverlayCount(), 0u);
}

TEST_F(Fades, FocusOffWhileFadingInFadesEveryOverlayOutAndClosesThem) {
    desktop.addMonitor({1920, 0, 1920, 1080}, 2);
    openWindow("Files", {2100, 100, 800, 600});
    setDuration(1.0);
    focusOn();
    harness.advance(0.3);
    ASSERT_EQ(desktop.openOverlayCount(), 2u);
    focusOff();
    for (const auto& o : desktop.createdOverlays()) EXPECT_EQ(o->targetAlpha(), 0.0);
    harness.advance(1.0);
    EXPECT_EQ(desktop.openOverlayCount(), 0u);
    harness.ticks(5);
    EXPECT_EQ(desktop.createdOverlays().size(), 2u) << "the poller stopped with focus";
}

}  // namespace
}  // namespace quorvel::sim
