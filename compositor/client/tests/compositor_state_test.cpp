#include "compositor/client/compositor_state.h"

#include <gtest/gtest.h>

#include "compositor/client/compositor_shortcuts.h"
#include "compositor/client/desktop_keyboard_layout.h"
#include "settings/key_combo.h"

namespace quorvel::compositor {
namespace {

// The primary sits to the right of a second, taller monitor; a workspace
// switch is under way.
constexpr const char* kState = R"({
  "version": 2, "compositor": "GNOME Shell", "compositorVersion": "48.7",
  "session": "wayland", "frost": false, "workspace": {"index": 2, "switching": true},
  "overview": false, "active": 12,
  "monitors": [
    {"index": 0, "x": 0, "y": 0, "width": 1000, "height": 1200, "primary": false},
    {"index": 1, "x": 1000, "y": 100, "width": 1280, "height": 800, "primary": true,
     "workArea": {"x": 1000, "y": 132, "width": 1280, "height": 768}}],
  "windows": [
    {"id": 12, "app": "org.gnome.TextEditor.desktop", "appName": "Text Editor",
     "x": 1100, "y": 200, "width": 600, "height": 400, "monitor": 1,
     "type": "normal", "fullscreen": false},
    {"id": 13, "appName": "Quorvel", "x": 1200, "y": 300, "width": 500, "height": 300,
     "type": "dialog", "own": true},
    {"id": 15, "x": 0, "y": 0, "width": 300, "height": 300, "type": "dock", "above": true},
    {"id": "16", "x": 0, "y": 0, "width": 1, "height": 1},
    {"id": 17, "x": 0, "y": 0, "width": -5, "height": 1},
    {"id": 18, "x": 0, "y": 0, "width": 0, "height": 0}],
  "trayItem": {"x": 1200, "y": 100, "width": 40, "height": 32}})";

TEST(CompositorState, ReadsWhatTheDesktopPortReportsInTheCompositorsCoordinates) {
    const auto state = parseCompositorState(kState);
    ASSERT_TRUE(state);
    EXPECT_FALSE(state->frost);
    EXPECT_EQ(state->trayItem, (core::Rect{1200, 100, 40, 32}));
    const ports::DesktopState desktop = desktopState(*state);
    ASSERT_EQ(desktop.monitors.size(), 2u);
    EXPECT_EQ(desktop.monitors[0].frame, (core::Rect{1000, 100, 1280, 800})) << "the primary first";
    EXPECT_EQ(desktop.monitors[0].workArea, (core::Rect{1000, 132, 1280, 768}));
    EXPECT_EQ(desktop.monitors[1].workArea, (core::Rect{0, 0, 1000, 1200}))
        << "no work area reported: the whole monitor";
    // The unreadable windows (a string id, a negative size) and one of no
    // area are left out.
    ASSERT_EQ(desktop.windows.size(), 3u);
    EXPECT_EQ(desktop.active, 12u);
    EXPECT_TRUE(desktop.switchingWorkspace);
    EXPECT_EQ(desktop.windows[0].appId, "org.gnome.TextEditor") << "the catalog's id";
    EXPECT_EQ(desktop.windows[0].frame, (core::Rect{1100, 200, 600, 400}));
    EXPECT_EQ(desktop.windows[1].kind, ports::WindowKind::dialog);
    EXPECT_TRUE(desktop.windows[1].own);
    EXPECT_EQ(desktop.windows[2].kind, ports::WindowKind::other);
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
        {R"({"version": 1, "shellVersion": "43.9", "windows": []})", "unknown state version"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::string reason;
        EXPECT_FALSE(parseCompositorState(c.text, &reason));
        EXPECT_NE(reason.find(c.reason), std::string::npos) << reason;
    }
}

TEST(KeyboardNames, TheDesktopsSettingsNameTheFirstLayout) {
    const struct {
        const char* label;
        std::optional<LayoutNames> read;
        std::optional<LayoutNames> expected;
    } cases[] = {
        {"GNOME, two layouts",
         gnomeLayout("[('xkb', 'de+nodeadkeys'), ('xkb', 'us')]",
                     "['ctrl:nocaps', 'compose:ralt']"),
         LayoutNames{"de", "nodeadkeys", "ctrl:nocaps,compose:ralt"}},
        {"GNOME, an input method first",
         gnomeLayout("[('ibus', 'mozc-jp'), ('xkb', 'jp')]", "@as []"), LayoutNames{"jp", "", ""}},
        {"GNOME, nothing listed", gnomeLayout("@a(ss) []", ""), std::nullopt},
        {"Plasma",
         plasmaLayout("[Layout]\nDisplayNames=,\nLayoutList=fr,us\nVariantList=azerty,\n"),
         LayoutNames{"fr", "azerty", ""}},
        {"Plasma, another group", plasmaLayout("[Other]\nLayoutList=fr\n"), std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(c.read, c.expected);
    }
}

// The compositor finds a named key in the current layout, so the grab must
// name the key the Shortcuts tab shows: what the user's layout types there.
TEST(KeyboardNames, ShortcutsAreGrabbedByTheKeyTheUsersLayoutTypes) {
    namespace mod = settings::modifier;
    const struct {
        const char* layout;
        std::uint32_t keyCode;
        std::uint32_t modifiers;
        const char* expected;
    } cases[] = {
        {"us", 16, mod::control | mod::alt | mod::super, "<Control><Alt><Super>y"},
        {"de", 16, mod::control | mod::alt, "<Control><Alt>z"},
        {"fr", 0, mod::super, "<Super>q"},
        {"de", 96, mod::shift, "<Shift>F5"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.layout);
        const DesktopKeyboardLayout layout([&] { return LayoutNames{c.layout, "", ""}; });
        EXPECT_EQ(acceleratorName(c.keyCode, c.modifiers, layout), c.expected);
    }
}

}  // namespace
}  // namespace quorvel::compositor
