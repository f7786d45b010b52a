#include "controls/tooltip_window.h"

#include <gtest/gtest.h>

#include "core/virtual_scheduler.h"
#include "sim/sim_hint_window.h"
#include "sim/sim_status_item.h"

namespace quorvel::controls {
namespace {

constexpr core::Size kHint{240, 110};

TEST(TooltipPlacement, HangsBelowTheIconCentredAndInsideTheVisibleFrame) {
    // A 1920 x 1080 monitor with a 30-point top panel (y grows upwards).
    const core::Rect top{0, 0, 1920, 1050};
    struct Case {
        const char* name;
        core::Rect icon;
        core::Rect visible;
        core::Rect frame;
        bool arrowUp;
    };
    const Case cases[] = {
        {"middle", {900, 1050, 24, 30}, top, {900 + 12 - 120, 940, 240, 110}, true},
        {"left edge", {4, 1050, 24, 30}, top, {0, 940, 240, 110}, true},
        {"exactly at the left edge", {108, 1050, 24, 30}, top, {0, 940, 240, 110}, true},
        {"right edge", {1890, 1050, 24, 30}, top, {1920 - 240, 940, 240, 110}, true},
        {"just inside the right edge",
         {1668, 1050, 24, 30},
         top,
         {1680 - 120, 940, 240, 110},
         true},
        // On a screen narrower than the hint the right edge wins.
        {"narrow screen", {50, 570, 20, 30}, {0, 0, 200, 570}, {200 - 240, 460, 240, 110}, true},
        // A bottom panel (0..30): the hint goes above it.
        {"bottom panel", {1800, 0, 24, 30}, {0, 30, 1920, 1050}, {1920 - 240, 30, 240, 110}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto p = positionBelowStatusItem(c.icon, c.visible, kHint);
        EXPECT_EQ(p.frame, c.frame);
        EXPECT_EQ(p.arrowUp, c.arrowUp);
    }
}

class SimScreens final : public ports::Screens {
public:
    std::vector<ports::ScreenInfo> screens() const override { return list; }
    std::optional<ports::ScreenInfo> mainScreen() const override {
        if (list.empty()) return std::nullopt;
        return list.front();
    }
    std::uint32_t mainDisplayID() const override { return 1; }
    core::Point mouseLocation() const override { return pointer; }

    std::vector<ports::ScreenInfo> list;
    core::Point pointer;
};

class TooltipWindowTest : public ::testing::Test {
protected:
    TooltipWindowTest() {
        screens.list = {{1, {0, 0, 1920, 1080}, {0, 0, 1920, 1050}},
                        {2, {1920, 0, 1280, 1024}, {1920, 0, 1280, 1000}}};
    }
    core::VirtualScheduler scheduler;
    sim::SimStatusItem statusItem;
    sim::SimHintWindow window{scheduler, kHint};
    SimScreens screens;
    TooltipWindow tooltip{window, statusItem, screens};
};

TEST_F(TooltipWindowTest, GotItFadesOutThenHidesAndTheHintCanBeShownAgain) {
    statusItem.setGeometry(core::Rect{1000, 1050, 24, 30});
    tooltip.showTooltip();
    scheduler.advance(0.3);
    window.pressCloseButton();
    EXPECT_FALSE(tooltip.isShown());
    scheduler.advance(0.29);
    EXPECT_TRUE(window.isVisible());  // still fading
    scheduler.advance(0.01);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.alpha(), 0.0);

    const int placements = window.frameCount();
    statusItem.setGeometry(core::Rect{1200, 1050, 24, 30});
    EXPECT_EQ(window.frameCount(), placements);  // no longer following

    tooltip.showTooltip();
    scheduler.advance(0.3);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.alpha(), 1.0);
    EXPECT_EQ(window.frame().x, 1212 - 120);
}

}  // namespace
}  // namespace quorvel::controls
