#include <gtest/gtest.h>

#include <set>

#include "core/log.h"
#include "sim/sim_app_catalog.h"
#include "sim/sim_keyboard_layout.h"
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

TEST(KeyComboDisplay, NamesKeysAsLinuxPrintsThem) {
    namespace key = keycode;
    const DisplayCase cases[] = {
        {{38, kControlOptionCommand}, "Ctrl+Alt+Super+J"},
        {{key::f, modifier::control | modifier::shift}, "Ctrl+Shift+F"},
        {{key::home, modifier::command}, "Super+Home"},
        {{key::end, modifier::control}, "Ctrl+End"},
        {{key::pageUp, modifier::option}, "Alt+Page Up"},
        {{key::pageDown, modifier::option}, "Alt+Page Down"},
        {{key::help, modifier::control}, "Ctrl+Insert"},
        {{key::forwardDelete, modifier::control}, "Ctrl+Delete"},
        {{key::keypadDigits[7], modifier::control}, "Ctrl+Keypad 7"},
        {{key::functionKeys[12], 0}, "F13"},
        {{key::functionKeys[23], modifier::shift}, "Shift+F24"},
        {{10, modifier::control}, "Ctrl+?"},  // types nothing on this layout
    };
    auto layout = sim::SimKeyboardLayout::usLayout();
    for (const DisplayCase& c : cases) EXPECT_EQ(c.combo.displayString(layout), c.expected);
}

}  // namespace
}  // namespace quorvel::settings
