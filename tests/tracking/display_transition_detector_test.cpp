// Which window is a monitor's wallpaper, and how it is remembered.
#include "tracking/display_transition_detector.h"

#include <gtest/gtest.h>

#include "core/virtual_scheduler.h"
#include "tracking/window_poller.h"

namespace quorvel::tracking {
namespace {

using ports::RawWindow;

class RecordingDelegate : public WindowPollerDelegate {
public:
    void didUpdateWindows(const std::vector<WindowInfo>&) override {}
    void beginScreenTransition(const ports::ScreenInfo&) override { ++begun; }
    void endScreenTransition(const ports::ScreenInfo&) override { ++ended; }
    int begun = 0;
    int ended = 0;
};

class Detector : public ::testing::Test {
protected:
    const ports::ScreenInfo screen{5, {0, 0, 1920, 1080}, {0, 0, 1920, 1080}};
    core::VirtualScheduler clock;
    core::PreferenceStore store{clock};
    DisplayTransitionDetector detector{store, clock};
    std::map<std::uint32_t, DisplayState> states;
    RecordingDelegate delegate;

    std::optional<std::int64_t> tracked() {
        auto dict = store.dictionaryForKey("tracked_window_ids");
        if (!dict || !dict->count("5")) return std::nullopt;
        return dict->at("5");
    }
    void sample(const std::vector<RawWindow>& raw) {
        detector.detect(raw, {screen}, states, &delegate);
    }
};

RawWindow fullScreen(std::string owner, std::int64_t number, std::int32_t layer, double x = 0) {
    return RawWindow{std::move(owner), layer, number, core::Rect{x, 0, 1915, 1075}, std::nullopt};
}

TEST_F(Detector, KeepsMovingWallpaperInOneTransitionButAResizeAloneIsNone) {
    sample({fullScreen("Wallpaper", 30, -2000)});
    EXPECT_EQ(delegate.begun, 0) << "the first sighting cannot begin a transition";
    RawWindow resized = fullScreen("Wallpaper", 30, -2000);
    resized.bounds->width = 1925;
    sample({resized});
    EXPECT_EQ(delegate.begun, 0) << "a size change alone";
    for (int i = 1; i <= 6; ++i) sample({fullScreen("Wallpaper", 30, -2000, -200.0 * i)});
    EXPECT_EQ(delegate.begun, 1);
    for (int i = 0; i < 2; ++i) sample({fullScreen("Wallpaper", 30, -2000, -1200)});
    EXPECT_EQ(delegate.ended, 0);
    sample({fullScreen("Wallpaper", 30, -2000, -1200)});
    EXPECT_EQ(delegate.ended, 1);
    EXPECT_EQ(states.at(5).stableFrameCount, 0);
}

}  // namespace
}  // namespace quorvel::tracking
