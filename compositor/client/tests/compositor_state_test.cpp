#include "compositor/client/compositor_state.h"

#include <gtest/gtest.h>

namespace quorvel::compositor {
namespace {

// The primary sits to the right of a second, taller monitor.
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

TEST(CompositorState, ReadsWhatTheDesktopPortReportsInTheCompositorsCoordinates) {
    const auto state = parseShellState(kState);
    ASSERT_TRUE(state);
    // The unreadable windows (a string id, a negative size) are skipped.
    ASSERT_EQ(state->windows.size(), 5u);
    const ports::DesktopState desktop = desktopState(*state, 999);
    ASSERT_EQ(desktop.monitors.size(), 2u);
    EXPECT_EQ(desktop.monitors[0].frame, (core::Rect{1000, 100, 1280, 800})) << "the primary first";
    EXPECT_EQ(desktop.monitors[0].workArea, (core::Rect{1000, 132, 1280, 768}));
    EXPECT_EQ(desktop.monitors[1].frame, (core::Rect{0, 0, 1000, 1200}));
    // The tooltip and the minimised window are left out.
    ASSERT_EQ(desktop.windows.size(), 3u);
    EXPECT_EQ(desktop.active, 12u);
    EXPECT_EQ(desktop.windows[0].appId, "org.gnome.TextEditor.desktop");
    EXPECT_EQ(desktop.windows[0].frame, (core::Rect{1100, 200, 600, 400}));
    EXPECT_TRUE(desktop.windows[1].own) << "a window of our own process";
    EXPECT_TRUE(desktop.windows[2].keepAbove);
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
