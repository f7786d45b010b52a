// The settings as a user's file holds them: what earlier versions stored is
// read and brought to today's form, nothing stored is lost, and a change is
// told once.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "core/base64.h"
#include "core/log.h"
#include "core/preference_store.h"
#include "core/virtual_scheduler.h"
#include "settings/key_codes.h"
#include "settings/settings.h"
#include "sim/sim_keyboard_layout.h"
#include "sim/temp_dir.h"

namespace quorvel::settings {
namespace {

using nlohmann::json;

/// Settings over a file that starts with `stored`.
struct StoredSettings {
    explicit StoredSettings(const json& stored) {
        std::ofstream(dir / "settings.json") << stored.dump();
        store = std::make_unique<core::PreferenceStore>(dir / "settings.json", scheduler);
        settings = std::make_unique<Settings>(*store);
        store->flush();
    }
    json file() const { return json::parse(quorvel::testing::readFile(dir / "settings.json")); }

    quorvel::testing::TempDir dir;
    core::VirtualScheduler scheduler;
    std::unique_ptr<core::PreferenceStore> store;
    std::unique_ptr<Settings> settings;
};

json bytes(const std::string& text) {
    return {{"$data", core::base64Encode(core::toBytes(text))}};
}

TEST(Settings, WhatEarlierVersionsStoredReadsAsItMeant) {
    core::LogCapture log;
    StoredSettings s({{"autoHideOption", "Menu Bar"},
                      {"focusMode", "AMBIENT"},
                      {"themeMode", "Dark"},
                      {"grainIntensity", 7},
                      {"opacityValue", "half"},
                      {"shortcut", bytes("")},
                      {"focusModeShortcut", bytes("not json")},
                      {"excludedApps", bytes(R"([{"name":"Files","bundleId":"org.gnome.Nautilus",
                                                 "bundleURL":"file:///a.desktop"}])")}});
    const Settings& read = *s.settings;
    EXPECT_EQ(read.panels.get(), PanelChoice::top) << "the top panel was once the menu bar";
    EXPECT_EQ(read.mode.get(), FocusMode::deep) << "only the exact 'ambient' is ambient";
    EXPECT_EQ(read.theme.get(), ThemeMode::dark);
    EXPECT_EQ(read.grain.get(), 1.0) << "kept within its range";
    EXPECT_EQ(read.opacity.get(), 1.0) << "a value of the wrong kind reads as the default";
    EXPECT_EQ(read.toggleShortcut.get(), std::nullopt) << "cleared by the user";
    EXPECT_EQ(read.modeShortcut.get(), std::nullopt) << "unreadable: none, not the default";
    EXPECT_EQ(read.excludeShortcut.get(), (KeyCombo{14, modifier::controlAltSuper}));
    const auto apps = read.excludedApps.get();
    ASSERT_EQ(apps.size(), 1u);
    EXPECT_EQ(apps[0].appId, "org.gnome.Nautilus");

    const json file = s.file();
    EXPECT_EQ(file["autoHideOption"], "top") << "migrated in the file";
    EXPECT_EQ(file["opacityValue"], "half") << "what cannot be read stays as it was";
    EXPECT_NE(core::toString(*core::base64Decode(file["excludedApps"]["$data"].get<std::string>()))
                  .find(R"("appId":"org.gnome.Nautilus")"),
              std::string::npos);
    EXPECT_TRUE(log.contains("🪟 Panel choice 'Menu Bar' is now 'top'"));
}

TEST(Settings, EachChangeIsToldOnceAndAnUnchangedValueNever) {
    StoredSettings s(json::object());
    Settings& settings = *s.settings;
    int told = 0;
    const auto watch = settings.opacity.changed().connect([&] { ++told; });
    settings.opacity.set(0.8);
    settings.opacity.set(0.8);
    EXPECT_EQ(told, 1);
    settings.resetToDefaults();
    EXPECT_EQ(told, 2);
    EXPECT_EQ(settings.opacity.get(), 1.0);
}

TEST(KeyComboDisplay, NamesKeysAsLinuxPrintsThem) {
    namespace key = keycode;
    const std::pair<KeyCombo, const char*> cases[] = {
        {{38, modifier::controlAltSuper}, "Ctrl+Alt+Super+J"},
        {{key::f, modifier::control | modifier::shift}, "Ctrl+Shift+F"},
        {{key::home, modifier::super}, "Super+Home"},
        {{key::pageUp, modifier::alt}, "Alt+Page Up"},
        {{key::help, modifier::control}, "Ctrl+Insert"},
        {{key::forwardDelete, modifier::control}, "Ctrl+Delete"},
        {{key::keypadDigits[7], modifier::control}, "Ctrl+Keypad 7"},
        {{key::functionKeys[23], modifier::shift}, "Shift+F24"},
        {{10, modifier::control}, "Ctrl+?"},  // types nothing on this layout
    };
    auto layout = sim::SimKeyboardLayout::usLayout();
    for (const auto& [combo, expected] : cases) EXPECT_EQ(combo.displayString(layout), expected);
}

}  // namespace
}  // namespace quorvel::settings
