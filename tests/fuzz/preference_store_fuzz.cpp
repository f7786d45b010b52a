// The settings file (and the standard store's file, the same class) as the
// program loads it at start: whatever the file holds, loading it and reading
// any key through any getter must be safe, and so must the settings' own
// reads (and migrations) of the values they find.
#include <cstddef>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>

#include "core/log.h"
#include "core/preference_store.h"
#include "core/virtual_scheduler.h"
#include "rules/excluded_apps.h"
#include "settings/settings.h"
#include "sim/sim_app_catalog.h"
#include "sim/temp_dir.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quorvel;
    static const testing::TempDir dir;  // under $TMPDIR, in memory when scripts/fuzz runs it
    std::filesystem::remove_all(dir / "settings");
    const auto file = dir / "settings/settings.json";
    testing::writeFile(file, std::string(reinterpret_cast<const char*>(data), size));
    core::LogCapture quiet;
    core::VirtualScheduler scheduler;
    {
        const core::PreferenceStore store(file, scheduler);
        // The store cannot list its keys; the file's own keys are the ones it may hold.
        auto doc = nlohmann::json::parse(data, data + size, nullptr, false);
        if (!doc.is_object()) doc = nlohmann::json::object();
        for (const auto& [key, value] : doc.items()) {
            (void)store.object(key);
            (void)store.boolForKey(key);
            (void)store.integerForKey(key);
            (void)store.doubleForKey(key);
            (void)store.stringForKey(key);
            (void)store.dataForKey(key);
            (void)store.dictionaryForKey(key);
        }
    }
    // The settings register their defaults, migrate, and may store the
    // default exclusions, so they get a store of their own.
    core::PreferenceStore store(file, scheduler);
    settings::Settings settings(store);
    sim::SimAppCatalog catalog;
    catalog.addApplication("org.gnome.Nautilus", "Files", "system-file-manager");
    const rules::ExcludedApps excluded(settings, catalog);
    (void)settings.toggleShortcut.get();
    (void)settings.excludedApps.get();
    store.flush();
    return 0;
}
