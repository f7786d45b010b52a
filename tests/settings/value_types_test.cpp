#include <gtest/gtest.h>

#include <set>

#include "core/log.h"
#include "desktop/sim/sim_app_catalog.h"
#include "desktop/sim/sim_keyboard_layout.h"
#include "settings/auto_hide_option.h"
#include "settings/excluded_app.h"
#include "settings/focus_mode.h"
#include "settings/key_codes.h"
#include "settings/key_combo.h"
#include "settings/theme_mode.h"

namespace quorvel::settings {
namespace {

constexpr std::uint32_t kControlOptionCommand = modifier::controlOptionCommand;

TEST(AutoHideOptionReading, EverySpellingAndWhatTheRulesTabLogs) {
    const std::string unknownPrefix = "🪟 Unknown auto-hide option: '";
    const std::string unknownSuffix = "', defaulting to 'Dock & Menu Bar'";
    struct Case {
        std::string stored;
        AutoHideOption expected;
        std::string logLine;  // empty: nothing logged
    };
    const Case cases[] = {
        {"MenuBar", AutoHideOption::hideMenuBar, ""},
        {"menubar", AutoHideOption::hideMenuBar, ""},
        {"Menu Bar", AutoHideOption::hideMenuBar, ""},
        {"menu bar", AutoHideOption::hideMenuBar, ""},
        {"MENU BAR", AutoHideOption::hideMenuBar, ""},
        {"dock", AutoHideOption::hideDock, ""},
        {"Dock", AutoHideOption::hideDock, ""},
        {"both", AutoHideOption::hideBoth, ""},
        {"Both", AutoHideOption::hideBoth, ""},
        {"As System", AutoHideOption::hideBoth, "🪟 Converting legacy 'as system' to 'both'"},
        {"as system", AutoHideOption::hideBoth, "🪟 Converting legacy 'as system' to 'both'"},
        {"", AutoHideOption::hideBoth, unknownPrefix + unknownSuffix},
        {"menu-bar", AutoHideOption::hideBoth, unknownPrefix + "menu-bar" + unknownSuffix},
        {" dock", AutoHideOption::hideBoth, unknownPrefix + " dock" + unknownSuffix},
        {"Only Dock", AutoHideOption::hideBoth, unknownPrefix + "Only Dock" + unknownSuffix},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("'" + c.stored + "'");
        core::LogCapture capture;
        EXPECT_EQ(parseAutoHideOption(c.stored), c.expected);
        EXPECT_TRUE(capture.lines().empty()) << "the silent reading logs nothing";
        EXPECT_EQ(parseAutoHideOptionLogging(c.stored), c.expected);
        const auto expectedLines =
            c.logLine.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.logLine};
        EXPECT_EQ(capture.lines(), expectedLines);
    }
}

struct DisplayCase {
    KeyCombo combo;
    const char* expected;
};

TEST(KeyComboDisplay, ModifiersInFixedOrderThenTheKeyName) {
    const auto us = sim::SimKeyboardLayout::usLayout();
    const DisplayCase cases[] = {
        {{3, kControlOptionCommand}, "⌃⌥⌘F"},
        {{3, modifier::command | modifier::shift | modifier::option | modifier::control}, "⌃⌥⇧⌘F"},
        {{0, 0}, "A"},
        {{49, modifier::shift | modifier::command}, "⇧⌘Space"},
        {{18, modifier::command}, "⌘1"},
        {{44, modifier::option}, "⌥/"},
        {{3, modifier::command | (1u << 16) | (1u << 21) | (1u << 23)},
         "⌘F"},  // other bits ignored
        {{36, 0}, "↩"},
        {{48, 0}, "⇥"},
        {{51, 0}, "⌫"},
        {{53, 0}, "⎋"},
        {{117, 0}, "⌦"},
        {{123, 0}, "←"},
        {{124, 0}, "→"},
        {{125, 0}, "↓"},
        {{126, 0}, "↑"},
        {{200, modifier::command}, "⌘?"},  // a key the layout does not type
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.combo.displayString(us), c.expected)
            << c.combo.keyCode << "/" << c.combo.modifiers;
    }
    // The function keys by their stored codes, in the order the key translation indexes them.
    const std::uint32_t functionKeyCodes[] = {122, 120, 99,  118, 96,  97,
                                              98,  100, 101, 109, 103, 111};
    for (std::size_t i = 0; i < 12; ++i) {
        const std::string name = "F" + std::to_string(i + 1);
        EXPECT_EQ(keycode::functionKeys[i], functionKeyCodes[i]) << name;
        EXPECT_EQ((KeyCombo{functionKeyCodes[i], 0}).displayString(us), name);
    }
}

}  // namespace
}  // namespace quorvel::settings
