#include "compositor/client/compositor_state.h"

#include <gtest/gtest.h>

namespace quorvel::compositor {
namespace {

namespace layer = ports::layer;

// The primary sits to the right of a second, taller monitor: the program's
// coordinates start at the primary, the shell's at the left-most one.
constexpr const char* kState = R"({
  "version": 1, "shellVersion": "43.9", "session": "wayland", "workspace": 2,
  "overview": false, "focused": 12,
  "monitors": [
    {"index": 0, "x": 0, "y": 0, "width": 1000, "height": 1200, "primary": false},
    {"index": 1, "x": 1000, "y": 100, "width": 1280, "height": 800, "primary": true,
     "workArea": {"x": 1000, "y": 132, "width": 1280, "height": 768}}],
  "windows": [
    {"id": 40, "pid": 7, "x": 1100, "y": 150, "width": 10, "height": 10, "type": "tooltip"},
    {"id": 12, "app": "org.gnome.TextEditor.desktop", "appName": "Text Editor", "pid": 4242,
     "title": "notes", "x": 1100, "y": 200, "width": 600, "height": 400, "monitor": 1,
     "type": "normal", "fullscreen": false},
    {"id": 13, "appName": "Files", "pid": 999, "title": "Quorvel Settings",
     "x": 1200, "y": 300, "width": 500, "height": 300, "type": "normal"},
    {"id": 14, "wmClass": "xterm", "x": 10, "y": 10, "width": 300, "height": 300,
     "minimized": true},
    {"id": 15, "wmClass": "conky", "x": 0, "y": 0, "width": 300, "height": 300, "above": true},
    {"id": "16", "x": 0, "y": 0, "width": 1, "height": 1},
    {"id": 17, "x": 0, "y": 0, "width": -5, "height": 1}]})";

TEST(CompositorState, ReadsWhatTheWindowListAndScreensNeed) {
    const auto state = parseShellState(kState);
    ASSERT_TRUE(state);
    EXPECT_EQ(state->focused, 12u);
    ASSERT_EQ(state->monitors.size(), 2u);
    EXPECT_TRUE(state->monitors.front().primary);  // the primary first
    // The unreadable windows (a string id, a negative size) are skipped.
    ASSERT_EQ(state->windows.size(), 5u);

    const auto list = rawWindows(*state, ports::WindowListOption::OnScreenOnly, 4.0, 999);
    ASSERT_EQ(list.size(), 4u + 2u);  // the minimized one left out, two wallpapers added
    EXPECT_EQ(list[0].layer, layer::tooltip);
    EXPECT_EQ(list[1].ownerName, "Text Editor");
    EXPECT_EQ(list[1].windowNumber, 12);
    EXPECT_EQ(list[1].bounds, (core::Rect{100, 100, 600, 400}));  // from the primary's corner
    EXPECT_EQ(list[2].ownerName, "Quorvel");                      // our own process
    EXPECT_EQ(list[3].ownerName, "conky");
    EXPECT_EQ(list[3].layer, layer::floating);
    EXPECT_EQ(list[4].ownerName, "Wallpaper");
    EXPECT_EQ(list[4].bounds, (core::Rect{4, 0, 1280, 800}));  // shifted while sliding
    EXPECT_EQ(list[5].bounds, (core::Rect{-996, -100, 1000, 1200}));
    EXPECT_EQ(
        rawWindows(*state, ports::WindowListOption::OnScreenOnlyExcludingDesktop, 0, 1).size(),
        4u);

    const auto screens = screenInfos(*state);
    ASSERT_EQ(screens.size(), 2u);
    EXPECT_EQ(screens[0].frame, (core::Rect{0, 0, 1280, 800}));
    EXPECT_EQ(screens[0].visibleFrame, (core::Rect{0, 0, 1280, 768}));  // less the top bar
    EXPECT_EQ(screens[1].frame, (core::Rect{-1000, -300, 1000, 1200}));
    // A veil's frame goes back to where the monitor is in the shell.
    EXPECT_EQ(shellRect(screens[1].frame, primaryFrame(*state)), (core::Rect{0, 0, 1000, 1200}));
    EXPECT_EQ(focusedMonitor(*state), 0u);
}

TEST(CompositorState, RefusesWhatItCannotRead) {
    const struct {
        const char* text;
        const char* reason;
    } cases[] = {
        {"", "not a JSON object"},
        {"[1, 2]", "not a JSON object"},
        {R"({"windows": []})", "unknown state version"},
        {R"({"version": 2, "windows": []})", "unknown state version"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::string reason;
        EXPECT_FALSE(parseShellState(c.text, &reason));
        EXPECT_NE(reason.find(c.reason), std::string::npos) << reason;
    }
}

}  // namespace
}  // namespace quorvel::compositor
