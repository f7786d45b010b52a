#include "rules/panel_scripts.h"

#include <gtest/gtest.h>

#include <set>

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

TEST(PanelScriptsTest, MatchesOneValueForAllOrEachPanelsOwn) {
    const std::map<std::string, std::string> read{{"panel-2", "1"}, {"panel-3", "0"}};
    EXPECT_FALSE(panelsMatch(read, "2"));
    EXPECT_TRUE(panelsMatch({{"panel-2", "2"}, {"panel-3", "2"}}, "2"));
    EXPECT_TRUE(panelsMatch(read, "panel-2=1 panel-3=0"));
    EXPECT_FALSE(panelsMatch(read, "panel-2=1 panel-3=2"));
    EXPECT_TRUE(panelsMatch(read, "panel-2=1 panel-9=2")) << "a panel removed since is no mismatch";
}

TEST(PanelScriptsTest, WritesPutTheValueIntoEveryPlaceholder) {
    const PanelElementScripts xfce = xfcePanelScripts().menuBar.value();
    const std::string script = writeScript(xfce, "panel-1=1");
    EXPECT_EQ(script.find("%VALUE%"), std::string::npos);
    EXPECT_NE(script.find("v='panel-1=1'"), std::string::npos);
    EXPECT_NE(script.find("[ \"$e\" = top ]"), std::string::npos) << "the menu bar's panels";
    EXPECT_NE(xfcePanelScripts().dock.read.find("[ \"$e\" = dock ]"), std::string::npos);
}

/// Answers only the scripts it was told to.
class AnsweringScripts final : public platform::ScriptService {
public:
    explicit AnsweringScripts(std::set<std::string> answering) : answering_(std::move(answering)) {}
    platform::ScriptOutcome execute(const std::string& source) override {
        ran.push_back(source);
        if (answering_.count(source)) return platform::ScriptOutcome::returned({});
        return platform::ScriptOutcome::failed({1, "no"});
    }
    std::vector<std::string> ran;

private:
    std::set<std::string> answering_;
};

TEST(DesktopDetectionTest, NamesTheSessionsDesktop) {
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {"XFCE", "XFCE"},         {"ubuntu:GNOME", "GNOME"},  {"KDE", "KDE"},
        {"MATE", "MATE"},         {"X-Cinnamon", "Cinnamon"}, {"GNOME-Classic:GNOME", "GNOME"},
        {"xfce:openbox", "XFCE"}, {"openbox", std::nullopt},  {"", std::nullopt},
        {"i3", std::nullopt},
    };
    for (const auto& [name, expected] : cases) {
        AnsweringScripts nothingAnswers({});
        const auto table = detectPanelDesktop(name, nothingAnswers);
        ASSERT_EQ(table.has_value(), expected.has_value()) << name;
        if (table) {
            EXPECT_EQ(table->desktop, *expected) << name;
            EXPECT_TRUE(nothingAnswers.ran.empty()) << "a named desktop needs no probe";
        }
    }
}

TEST(DesktopDetectionTest, AnUnnamedDesktopIsFoundByThePanelThatAnswers) {
    AnsweringScripts xfceAnswers({xfcePanelScripts().probe});
    const auto table = detectPanelDesktop("openbox", xfceAnswers);
    ASSERT_TRUE(table.has_value());
    EXPECT_EQ(table->desktop, "XFCE");
}

TEST(DesktopDetectionTest, OnlyGnomeLacksATopBarTable) {
    EXPECT_FALSE(gnomePanelScripts().menuBar.has_value());
    for (const auto& table :
         {xfcePanelScripts(), kdePanelScripts(), matePanelScripts(), cinnamonPanelScripts()}) {
        EXPECT_TRUE(table.menuBar.has_value()) << table.desktop;
        EXPECT_NE(table.dock.write.find("%VALUE%"), std::string::npos) << table.desktop;
        EXPECT_NE(table.menuBar->write.find("%VALUE%"), std::string::npos) << table.desktop;
        EXPECT_NE(table.dock.read, table.menuBar->read) << table.desktop;
    }
}

}  // namespace
}  // namespace quorvel::rules
