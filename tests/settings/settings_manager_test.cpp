#include "settings/settings_manager.h"

#include <gtest/gtest.h>

#include <functional>
#include <nlohmann/json.hpp>

#include "desktop/sim/sim_keyboard_layout.h"
#include "settings/settings_fixture.h"

namespace quorvel::settings {
namespace {

using core::toBytes;

class SettingsManagerTest : public ::testing::Test, public SettingsFixture {};

std::vector<std::string> names(const std::vector<ExcludedApp>& apps) {
    std::vector<std::string> out;
    for (const auto& a : apps) out.push_back(a.name + "|" + a.bundleId + "|" + a.icon);
    return out;
}

TEST_F(SettingsManagerTest, AFreshSuiteReadsTheDefaults) {
    auto& s = open();
    const auto& d = s.defaults();
    EXPECT_TRUE(d.boolForKey(keys::isOverlayEnabled));
    EXPECT_EQ(s.focusMode(), FocusMode::deep);
    EXPECT_DOUBLE_EQ(d.doubleForKey(keys::grainIntensity), 0.5);
    EXPECT_DOUBLE_EQ(d.doubleForKey(keys::transitionDuration), 0.5);
    EXPECT_DOUBLE_EQ(d.doubleForKey(keys::opacityValue), 1.0);
    EXPECT_EQ(s.themeMode(), ThemeMode::automatic);
    EXPECT_FALSE(d.boolForKey(keys::useSlightTransparency));
    EXPECT_FALSE(d.boolForKey(keys::isSingleMode));
    EXPECT_FALSE(d.boolForKey(keys::isAutoHideEnabled));
    EXPECT_EQ(d.stringForKey(keys::autoHideOption), "both");
    EXPECT_EQ(d.integerForKey(keys::settingsVersion), 1);

    const auto us = sim::SimKeyboardLayout::usLayout();
    ASSERT_TRUE(s.shortcut() && s.focusModeShortcut() && s.excludeAppShortcut());
    EXPECT_EQ(s.shortcut()->displayString(us), "⌃⌥⌘F");
    EXPECT_EQ(s.focusModeShortcut()->displayString(us), "⌃⌥⌘M");
    EXPECT_EQ(s.excludeAppShortcut()->displayString(us), "⌃⌥⌘E");

    EXPECT_EQ(names(s.excludedApps()),
              (std::vector<std::string>{"Color Picker|nl.hjdskes.gcolor3|gcolor3",
                                        "Files|org.gnome.Nautilus|org.gnome.Nautilus"}));
    EXPECT_TRUE(posted.empty()) << "creating the store posts nothing";
}

TEST_F(SettingsManagerTest, OnlyTheSeededListReachesTheFile) {
    open();
    suite->flush();
    const auto doc = nlohmann::json::parse(quorvel::testing::readFile(file()));
    ASSERT_EQ(doc.size(), 1u) << doc.dump();  // registered defaults stay in memory
    auto stored = decodeExcludedAppData(*suite->dataForKey(keys::excludedApps));
    ASSERT_TRUE(stored);
    EXPECT_EQ(*stored, (std::vector<ExcludedAppData>{
                           {"Color Picker", "nl.hjdskes.gcolor3", "file://" + pickerLocation},
                           {"Files", "org.gnome.Nautilus", "file://" + filesLocation}}));
}

TEST_F(SettingsManagerTest, SeedingHappensOnlyWhenTheKeyHoldsNothing) {
    struct Case {
        const char* label;
        core::PreferenceValue existing;
    };
    const Case cases[] = {
        {"empty list", toBytes("[]")},
        {"one entry",
         toBytes(R"([{"name":"Mine","bundleId":"my.app","bundleURL":"file:///x.desktop"}])")},
        {"wrong type", std::string("not bytes")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        {
            core::PreferenceStore seed(file(), scheduler);
            seed.set(keys::excludedApps, c.existing);
        }
        open();
        EXPECT_EQ(suite->object(keys::excludedApps), c.existing);
        EXPECT_FALSE(suite->hasPendingWrite());
        std::filesystem::remove(file());
    }
}

TEST_F(SettingsManagerTest, DefaultsTakeTheNextInstalledCandidateOrLeaveTheRoleOut) {
    catalog.removeEntry(pickerLocation);
    catalog.removeEntry(filesLocation);
    auto& s = open();
    EXPECT_EQ(names(s.defaultExcludedApps()),
              (std::vector<std::string>{"Thunar File Manager|org.xfce.Thunar|org.xfce.thunar"}));
    EXPECT_EQ(names(s.excludedApps()), names(s.defaultExcludedApps()));

    catalog.removeEntry("/usr/share/applications/org.xfce.Thunar.desktop");
    manager.reset();
    suite.reset();
    std::filesystem::remove(file());
    auto& bare = open();
    EXPECT_TRUE(bare.defaultExcludedApps().empty());
    EXPECT_EQ(suite->dataForKey(keys::excludedApps), toBytes("[]"));
    EXPECT_TRUE(bare.excludedApps().empty());
}

TEST_F(SettingsManagerTest, DefaultExcludedAppsAreBuiltOnceAndKept) {
    auto& s = open();
    const auto first = s.defaultExcludedApps();
    const int calls = catalog.locateCalls();
    catalog.removeEntry(filesLocation);
    EXPECT_EQ(s.defaultExcludedApps(), first);
    EXPECT_EQ(catalog.locateCalls(), calls);
}

TEST_F(SettingsManagerTest, AClearedShortcutStaysClearedAcrossRestarts) {
    auto& s = open();
    s.setShortcut(std::nullopt);
    s.setFocusModeShortcut(KeyCombo{0, modifier::shift | modifier::command});
    EXPECT_EQ(s.shortcut(), std::nullopt);

    auto& reopened = open();
    EXPECT_EQ(reopened.shortcut(), std::nullopt) << "must not fall back to the default";
    EXPECT_EQ(reopened.focusModeShortcut(), (KeyCombo{0, modifier::shift | modifier::command}));
    EXPECT_EQ(reopened.excludeAppShortcut(), defaultValue::excludeAppShortcut);
}

TEST_F(SettingsManagerTest, UndecodableValuesReadAsNoShortcutAndAnEmptyExcludedList) {
    const core::PreferenceValue shortcuts[] = {
        toBytes("garbage"), toBytes(R"({"keyCode":3})"), toBytes(R"({"keyCode":-1,"modifiers":0})"),
        std::string(R"({"keyCode":3,"modifiers":0})"),  // text, not bytes
    };
    auto& s = open();
    for (const auto& value : shortcuts) {
        suite->set(keys::excludeAppShortcut, value);
        EXPECT_EQ(s.excludeAppShortcut(), std::nullopt);
    }
    suite->set(keys::excludeAppShortcut, toBytes(R"({"modifiers":262144,"keyCode":12})"));
    EXPECT_EQ(s.excludeAppShortcut(), (KeyCombo{12, modifier::control}));
    const core::PreferenceValue lists[] = {
        toBytes("not json"),
        toBytes(R"({"name":"A","bundleId":"a","bundleURL":"file://"})"),
        toBytes(R"([{"name":"A","bundleId":"a"}])"),
        toBytes(R"([{"name":"A","bundleId":"a","bundleURL":"file://"}, 3])"),
        toBytes(""),
        std::string("[]"),
    };
    for (const auto& value : lists) {
        suite->set(keys::excludedApps, value);
        EXPECT_TRUE(s.excludedApps().empty());
    }
}

TEST_F(SettingsManagerTest, FocusAndThemeReadOnlyTheirExactSpellings) {
    auto& s = open();
    const std::pair<std::string, FocusMode> modes[] = {
        {"ambient", FocusMode::ambient}, {"Ambient", FocusMode::deep}, {"deep", FocusMode::deep},
        {"", FocusMode::deep},           {"AMBIENT", FocusMode::deep},
    };
    for (const auto& [raw, expected] : modes) {
        suite->set(keys::focusMode, raw);
        EXPECT_EQ(s.focusMode(), expected) << raw;
    }
    suite->set(keys::focusMode, std::int64_t{1});
    EXPECT_EQ(s.focusMode(), FocusMode::deep);

    const std::pair<std::string, ThemeMode> themes[] = {
        {"Light", ThemeMode::light},         {"Dark", ThemeMode::dark},
        {"light", ThemeMode::automatic},     {"dark", ThemeMode::automatic},
        {"As System", ThemeMode::automatic}, {"auto", ThemeMode::automatic},
    };
    for (const auto& [raw, expected] : themes) {
        suite->set(keys::themeMode, raw);
        EXPECT_EQ(s.themeMode(), expected) << raw;
    }
}

struct SetterCase {
    const char* label;
    std::function<void(SettingsManager&)> set;
    const char* key;
    core::PreferenceValue written;
    const char* notification;
};

TEST_F(SettingsManagerTest, EverySetterWritesThenPostsItsNotification) {
    namespace n = notifications;
    const SetterCase cases[] = {
        {"overlay", [](auto& s) { s.setOverlayEnabled(false); }, keys::isOverlayEnabled, false,
         n::settingsDidChange},
        {"focus", [](auto& s) { s.setFocusMode(FocusMode::ambient); }, keys::focusMode,
         std::string("ambient"), n::settingsDidChange},
        {"grain", [](auto& s) { s.setGrainIntensity(0.8); }, keys::grainIntensity, 0.8,
         n::settingsDidChange},
        {"single", [](auto& s) { s.setSingleMode(true); }, keys::isSingleMode, true,
         n::settingsDidChange},
        {"option", [](auto& s) { s.setAutoHideOption("Menu Bar"); }, keys::autoHideOption,
         std::string("Menu Bar"), n::settingsDidChange},
        {"auto-hide", [](auto& s) { s.setAutoHideEnabled(true); }, keys::isAutoHideEnabled, true,
         n::settingsDidChange},
        {"slight", [](auto& s) { s.setUseSlightTransparency(true); }, keys::useSlightTransparency,
         true, n::settingsDidChange},
        {"duration", [](auto& s) { s.setTransitionDuration(1.5); }, keys::transitionDuration, 1.5,
         n::settingsDidChange},
        {"opacity", [](auto& s) { s.setOpacityValue(0.6); }, keys::opacityValue, 0.6,
         n::settingsDidChange},
        {"theme", [](auto& s) { s.setThemeMode(ThemeMode::dark); }, keys::themeMode,
         std::string("Dark"), n::settingsDidChange},
        {"shortcut",
         [](auto& s) {
             s.setShortcut(KeyCombo{49, modifier::option});
         },
         keys::shortcut, toBytes(R"({"keyCode":49,"modifiers":524288})"), n::shortcutDidChange},
        {"mode shortcut", [](auto& s) { s.setFocusModeShortcut(std::nullopt); },
         keys::focusModeShortcut, core::Bytes{}, n::focusModeShortcutDidChange},
        {"exclude shortcut",
         [](auto& s) {
             s.setExcludeAppShortcut(KeyCombo{14, 0});
         },
         keys::excludeAppShortcut, toBytes(R"({"keyCode":14,"modifiers":0})"),
         n::excludeAppShortcutDidChange},
    };
    auto& s = open();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        std::optional<core::PreferenceValue> seenAtPost;
        core::Observation watch(center, c.notification, [&](const core::Notification&) {
            seenAtPost = suite->object(c.key);
        });
        posted.clear();
        c.set(s);
        EXPECT_EQ(posted, (std::vector<std::string>{c.notification}));
        EXPECT_EQ(seenAtPost, c.written) << "the value must be written before the post";
    }
}

TEST_F(SettingsManagerTest, ExcludedListRoundTripsThroughTheFile) {
    auto& s = open();
    auto picker = ExcludedApp::fromLocation(pickerLocation, catalog);
    ASSERT_TRUE(picker);
    const ExcludedApp gone{makeUuid(), "Gone App", "org.example.Gone", "gone-icon"};
    posted.clear();
    s.setExcludedApps({gone, *picker});
    EXPECT_EQ(posted, (std::vector<std::string>{notifications::settingsDidChange}));
    EXPECT_EQ(decodeExcludedAppData(*suite->dataForKey(keys::excludedApps)),
              (std::vector<ExcludedAppData>{
                  {"Gone App", "org.example.Gone", "file://"},
                  {"Color Picker", "nl.hjdskes.gcolor3", "file://" + pickerLocation}}));

    auto& reopened = open();
    const auto loaded = reopened.excludedApps();
    EXPECT_EQ(names(loaded), (std::vector<std::string>{"Gone App|org.example.Gone|",
                                                       "Color Picker|nl.hjdskes.gcolor3|gcolor3"}));
    EXPECT_NE(loaded[1].id, picker->id) << "ids are made afresh on every load";
    EXPECT_NE(loaded[0].id, loaded[1].id);
}

TEST_F(SettingsManagerTest, LoadedIconsComeFromWhereTheApplicationIsNowElseTheStoredFile) {
    auto& s = open();
    catalog.setFileIcon("/opt/old/moved.desktop", "stale-icon");
    catalog.setFileIcon("/opt/old/removed.desktop", "kept-icon");
    catalog.addEntry({"/home/u/.local/share/applications/moved.desktop", "moved", std::nullopt,
                      "Moved", "fresh-icon"});
    suite->set(
        keys::excludedApps,
        toBytes(R"([{"name":"Moved","bundleId":"moved","bundleURL":"file:///opt/old/moved.desktop"},
                           {"name":"Removed","bundleId":"removed","bundleURL":"file:///opt/old/removed.desktop"}])"));
    EXPECT_EQ(names(s.excludedApps()),
              (std::vector<std::string>{"Moved|moved|fresh-icon", "Removed|removed|kept-icon"}));
}

TEST_F(SettingsManagerTest, AListWithTextThatCannotBeEncodedIsNotWritten) {
    auto& s = open();
    const auto before = suite->object(keys::excludedApps);
    posted.clear();
    s.setExcludedApps({ExcludedApp{makeUuid(), "Bad \xFF name", "bad", ""}});
    EXPECT_EQ(suite->object(keys::excludedApps), before);
    EXPECT_TRUE(posted.empty());
}

}  // namespace
}  // namespace quorvel::settings
