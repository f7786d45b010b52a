#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/notification_center.h"
#include "core/preference_store.h"
#include "core/temp_dir.h"
#include "core/virtual_scheduler.h"
#include "sim/sim_app_catalog.h"
#include "settings/settings_manager.h"

namespace quorvel::settings {

/// A settings store on a real file in a temporary directory, with a catalog
/// that holds a colour picker and a file manager, and a record of every
/// notification posted.
class SettingsFixture {
public:
    SettingsFixture() {
        pickerLocation = catalog.addApplication("nl.hjdskes.gcolor3", "Color Picker", "gcolor3");
        filesLocation = catalog.addApplication("org.gnome.Nautilus", "Files", "org.gnome.Nautilus");
        catalog.addApplication("org.xfce.Thunar", "Thunar File Manager", "org.xfce.thunar");
        posted_ = core::Observation(
            center, "", [this](const core::Notification& n) { posted.push_back(n.name); });
    }

    std::filesystem::path file() const { return dir_ / "com.quorvel.settings.json"; }

    /// Opens the store from its file (after writing what the previous one had).
    SettingsManager& open() {
        manager.reset();
        suite.reset();
        suite = std::make_unique<core::PreferenceStore>(file(), scheduler);
        manager = std::make_unique<SettingsManager>(*suite, center, catalog);
        return *manager;
    }

    quorvel::testing::TempDir dir_;
    core::VirtualScheduler scheduler{0.0};
    core::NotificationCenter center;
    sim::SimAppCatalog catalog;
    std::string pickerLocation;
    std::string filesLocation;
    std::unique_ptr<core::PreferenceStore> suite;
    std::unique_ptr<SettingsManager> manager;
    std::vector<std::string> posted;

private:
    core::Observation posted_;
};

}  // namespace quorvel::settings
