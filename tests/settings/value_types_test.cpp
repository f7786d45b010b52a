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

TEST(AutoHideOptionReading, StoredValuesAndPickerTitlesMapBackToTheirOption) {
    const std::pair<const char*, const char*> expected[] = {
        {"Dock & Menu Bar", "both"}, {"Only Dock", "dock"}, {"Only Menu Bar", "menu bar"}};
    for (std::size_t i = 0; i < allAutoHideOptions.size(); ++i) {
        const AutoHideOption option = allAutoHideOptions[i];
        EXPECT_EQ(rawValue(option), expected[i].first);
        EXPECT_EQ(storedValue(option), expected[i].second);
        EXPECT_EQ(parseAutoHideOption(storedValue(option)), option);
        EXPECT_EQ(parseAutoHideTitle(rawValue(option)), option);
    }
    EXPECT_EQ(parseAutoHideTitle("both"), std::nullopt);
}

TEST(FocusAndThemeModes, RawValuesTitlesAndStrictParsing) {
    EXPECT_EQ(rawValue(FocusMode::ambient), "ambient");
    EXPECT_EQ(title(FocusMode::ambient), "Ambient");
    EXPECT_EQ(title(FocusMode::deep), "Deep");
    EXPECT_EQ(parseFocusMode("deep"), FocusMode::deep);
    EXPECT_EQ(parseFocusMode("Deep"), std::nullopt);
    EXPECT_EQ(rawValue(ThemeMode::automatic), "As System");
    EXPECT_EQ(parseThemeMode("As System"), ThemeMode::automatic);
    EXPECT_EQ(parseThemeMode("as system"), std::nullopt);
    EXPECT_EQ(allThemeModes[1], ThemeMode::light);
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

TEST(KeyComboDisplay, WithoutALayoutOnlyTheFixedNamesRemain) {
    sim::SimKeyboardLayout none = sim::SimKeyboardLayout::usLayout();
    none.setAvailable(false);
    EXPECT_EQ((KeyCombo{0, 0}).displayString(none), "?");
    EXPECT_EQ((KeyCombo{3, kControlOptionCommand}).displayString(none), "⌃⌥⌘?");
    EXPECT_EQ((KeyCombo{49, modifier::command}).displayString(none), "⌘Space");
}

TEST(KeyComboDisplay, TypedCharactersAreUpperCasedBeyondAscii) {
    sim::SimKeyboardLayout layout;
    const std::pair<std::string, std::string> typed[] = {
        {"é", "É"}, {"ß", "SS"}, {"ж", "Ж"}, {"ё", "Ё"}, {"ł", "Ł"},
        {"ω", "Ω"}, {"ÿ", "Ÿ"},  {"ç", "Ç"}, {"1", "1"}, {"", "?"},
    };
    for (const auto& [text, shown] : typed) {
        layout.setCharacters(7, text);
        EXPECT_EQ((KeyCombo{7, 0}).displayString(layout), shown) << text;
    }
}

TEST(KeyComboJson, EncodesExactlyTheTwoMembers) {
    EXPECT_EQ((KeyCombo{3, 1835008}).toJson(), R"({"keyCode":3,"modifiers":1835008})");
    EXPECT_EQ(core::toString((KeyCombo{4294967295u, 0}).encode()),
              R"({"keyCode":4294967295,"modifiers":0})");
}

TEST(KeyComboJson, DecodesOnlyAnObjectWithTwoUnsignedIntegers) {
    const std::pair<const char*, std::optional<KeyCombo>> cases[] = {
        {R"({"keyCode":3,"modifiers":1835008})", KeyCombo{3, 1835008}},
        {R"({ "modifiers" : 131072 , "keyCode" : 49 })", KeyCombo{49, 131072}},
        {R"({"keyCode":3,"modifiers":0,"extra":true})", KeyCombo{3, 0}},
        {R"({"keyCode":3})", std::nullopt},
        {R"({"keyCode":-3,"modifiers":0})", std::nullopt},
        {R"({"keyCode":4294967296,"modifiers":0})", std::nullopt},
        {R"({"keyCode":3.5,"modifiers":0})", std::nullopt},
        {R"({"keyCode":"3","modifiers":0})", std::nullopt},
        {R"([3,1835008])", std::nullopt},
        {"null", std::nullopt},
        {"", std::nullopt},
        {"{\"keyCode\":3,", std::nullopt},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(KeyCombo::decode(core::toBytes(text)), expected) << text;
    }
}

TEST(KeyCodes, UsTableIsConsistent) {
    std::set<std::uint32_t> codes;
    std::set<char> characters;
    for (const auto& key : keycode::ansiKeys) {
        EXPECT_TRUE(codes.insert(key.keyCode).second) << key.keyCode;
        EXPECT_TRUE(characters.insert(key.character).second) << key.character;
        EXPECT_FALSE(specialKeyName(key.keyCode)) << key.keyCode;
    }
    EXPECT_EQ(keycode::usCharacter(keycode::f), 'f');
    EXPECT_EQ(keycode::usCharacter(keycode::e), 'e');
    EXPECT_EQ(keycode::usCharacter(keycode::m), 'm');
    EXPECT_EQ(keycode::usCharacter(keycode::a), 'a');
    EXPECT_EQ(keycode::usCharacter(keycode::space), std::nullopt);
    EXPECT_EQ(keycode::ansiKeyForCharacter('?')->keyCode, 44u);
}

TEST(ExcludedAppFromLocation, NameAndIdRules) {
    sim::SimAppCatalog catalog;
    struct Case {
        const char* label;
        platform::DesktopEntry entry;
        std::optional<std::string> expectedName;
    };
    const Case cases[] = {
        {"localized wins", {"/a/1.desktop", "one", "Dateien", "Files", "i1"}, "Dateien"},
        {"plain name only", {"/a/2.desktop", "two", std::nullopt, "Editor", "i2"}, "Editor"},
        {"empty localized", {"/a/3.desktop", "three", "", "Plain", "i3"}, "Plain"},
        {"no name at all",
         {"/a/4.desktop", "four", std::nullopt, std::nullopt, "i4"},
         std::nullopt},
        {"no id", {"/a/5.desktop", std::nullopt, std::nullopt, "Nameless", "i5"}, std::nullopt},
    };
    for (const auto& c : cases) catalog.addEntry(c.entry);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        auto app = ExcludedApp::fromLocation(c.entry.location, catalog);
        ASSERT_EQ(app.has_value(), c.expectedName.has_value());
        if (!app) continue;
        EXPECT_EQ(app->name, *c.expectedName);
        EXPECT_EQ(app->bundleId, *c.entry.id);
        EXPECT_EQ(app->icon, c.entry.icon);
    }
    EXPECT_FALSE(ExcludedApp::fromLocation("/nowhere.desktop", catalog));
}

TEST(ExcludedAppMatching, ExactCaseSensitiveIds) {
    const std::vector<ExcludedApp> list{{makeUuid(), "Files", "org.gnome.Nautilus", ""}};
    EXPECT_TRUE(isExcluded(list, std::string("org.gnome.Nautilus")));
    EXPECT_FALSE(isExcluded(list, std::string("org.gnome.nautilus")));
    EXPECT_FALSE(isExcluded(list, std::string("org.gnome.Nautilus.desktop")));
    EXPECT_FALSE(isExcluded(list, std::nullopt));
    const std::vector<ExcludedApp> blank{{makeUuid(), "Odd", "", ""}};
    EXPECT_FALSE(isExcluded(blank, std::nullopt)) << "no id is never excluded";
}

// 8-4-4-4-12 upper-case hex digits, version 4, RFC 4122 variant.
bool isUuidV4(const std::string& id) {
    if (id.size() != 36) return false;
    for (std::size_t i = 0; i < id.size(); ++i) {
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        const char c = id[i];
        if (dash != (c == '-')) return false;
        if (!dash && !((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
    }
    return id[14] == '4' && std::string_view("89AB").find(id[19]) != std::string_view::npos;
}

TEST(ExcludedAppIds, AreRandomVersion4Uuids) {
    std::set<std::string> seen;
    for (int i = 0; i < 200; ++i) {
        const std::string id = makeUuid();
        EXPECT_TRUE(isUuidV4(id)) << id;
        seen.insert(id);
    }
    EXPECT_EQ(seen.size(), 200u);
}

TEST(FileUrls, RoundTripPathsThatNeedEscaping) {
    const std::pair<std::string, std::string> cases[] = {
        {"/usr/share/applications/x.desktop", "file:///usr/share/applications/x.desktop"},
        {"/home/u/My Apps/Grüße.desktop", "file:///home/u/My%20Apps/Gr%C3%BC%C3%9Fe.desktop"},
        {"/tmp/100%#?.desktop", "file:///tmp/100%25%23%3F.desktop"},
        {"", "file://"},
    };
    for (const auto& [path, url] : cases) {
        EXPECT_EQ(fileUrl(path), url);
        EXPECT_EQ(pathFromFileUrl(url), path);
    }
    EXPECT_EQ(pathFromFileUrl("https://example.org/x"), "");
}

TEST(ExcludedAppDataJson, RoundTripsInOrder) {
    const std::vector<ExcludedAppData> list{{"Files", "org.gnome.Nautilus", "file:///a.desktop"},
                                            {"Ünïcode \"q\"", "x", "file://"}};
    auto bytes = encodeExcludedAppData(list);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(decodeExcludedAppData(*bytes), list);
    EXPECT_EQ(core::toString(*encodeExcludedAppData({})), "[]");
}

}  // namespace
}  // namespace quorvel::settings
