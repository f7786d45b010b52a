#include "settings/settings_manager.h"

#include <gtest/gtest.h>

#include <functional>
#include <nlohmann/json.hpp>

#include "sim/sim_keyboard_layout.h"
#include "settings/settings_fixture.h"

namespace quorvel::settings {
namespace {

using core::toBytes;

class SettingsManagerTest : public ::testing::Test, public SettingsFixture {};

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

}  // namespace
}  // namespace quorvel::settings
