#include <gtest/gtest.h>

#include "compositor/client/compositor_shortcuts.h"
#include "compositor/client/desktop_keyboard_layout.h"
#include "settings/key_combo.h"

namespace quorvel::compositor {
namespace {

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
