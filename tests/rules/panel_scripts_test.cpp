#include "rules/panel_scripts.h"

#include <gtest/gtest.h>

#include "rules/desktop_panel_tables.h"

namespace quorvel::rules {
namespace {

TEST(PanelScriptsTest, ReadsOnlyPlainIdValuePairs) {
    const PanelElementScripts xfce = xfcePanelScripts().dock;
    struct Case {
        std::string text;
        std::optional<std::string> raw;
        bool hidden;
    };
    const Case cases[] = {
        {"panel-2=1 panel-3=2 ", "panel-2=1 panel-3=2", false},
        {"panel-2=2\n", "panel-2=2", true},
        {"", "", false},  // no dock panels at all
        {"dock=false,true,false", "dock=false,true,false", false},
        {"panel-2='1'", std::nullopt, false},  // would break out of the write's quoting
        {"panel-2=1;reboot", std::nullopt, false},
        {"true", std::nullopt, false},
        {"panel-2=", std::nullopt, false},
    };
    for (const auto& c : cases) {
        const auto setting = readSetting(xfce, c.text);
        ASSERT_EQ(setting.has_value(), c.raw.has_value()) << c.text;
        if (!setting) continue;
        EXPECT_EQ(setting->raw, *c.raw) << c.text;
        EXPECT_EQ(setting->autoHide, c.hidden) << c.text;
    }
}

}  // namespace
}  // namespace quorvel::rules
