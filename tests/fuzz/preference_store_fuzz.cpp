// The settings file (and the standard store's file, the same class) as the
// program loads it at start: whatever the file holds, loading it and reading
// any key through any getter must be safe, and so must the settings
// manager's own reads of the values it finds.
#include <cstddef>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <set>
#include <string>

#include "core/log.h"
#include "core/notification_center.h"
#include "core/preference_store.h"
#include "core/virtual_scheduler.h"
#include "sim/sim_app_catalog.h"
#include "scratch_dir.h"
#include "settings/settings_manager.h"

namespace quorvel::fuzz {
namespace {

// The store cannot list its keys; the file's own keys are the ones it may hold.
std::set<std::string> keysIn(const std::uint8_t* data, std::size_t size) {
    std::set<std::string> keys{""};
    const auto doc = nlohmann::json::parse(data, data + size, nullptr, false);
    if (!doc.is_object()) return keys;
    for (const auto& item : doc.items()) keys.insert(item.key());
    return keys;
}

void readEveryGetter(const core::PreferenceStore& store, const std::string& key) {
    (void)store.object(key);
    (void)store.holdsObject(key);
    (void)store.boolForKey(key);
    (void)store.integerForKey(key);
    (void)store.doubleForKey(key);
    (void)store.stringForKey(key);
    (void)store.dataForKey(key);
    (void)store.dictionaryForKey(key);
}

void readSettings(const settings::SettingsManager& settings) {
    (void)settings.focusMode();
    (void)settings.themeMode();
    (void)settings.shortcut();
    (void)settings.focusModeShortcut();
    (void)settings.excludeAppShortcut();
    (void)settings.excludedApps();
}

}  // namespace
}  // namespace quorvel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quorvel;
    static fuzz::ScratchDir dir;
    const auto file = dir.fresh("settings.json", data, size);
    core::LogCapture quiet;
    core::VirtualScheduler scheduler;
    {
        core::PreferenceStore store(file, scheduler);
        for (const std::string& key : fuzz::keysIn(data, size)) fuzz::readEveryGetter(store, key);
    }
    // The settings manager registers its defaults and may store the default
    // exclusions, so it gets a store of its own.
    core::PreferenceStore store(file, scheduler);
    core::NotificationCenter center;
    sim::SimAppCatalog catalog;
    catalog.addApplication("org.gnome.Nautilus", "Files", "system-file-manager");
    settings::SettingsManager manager(store, center, catalog);
    fuzz::readSettings(manager);
    return 0;
}
