#pragma once

#include <memory>
#include <optional>
#include <string>

#include "core/log.h"
#include "core/notification_center.h"
#include "core/preference_store.h"
#include "core/temp_dir.h"
#include "core/virtual_scheduler.h"
#include "sim/sim_app_catalog.h"
#include "sim/sim_script_service.h"
#include "rules/system_ui_manager.h"
#include "settings/settings_manager.h"

namespace quorvel::rules {

/// The auto-hide manager on a simulated desktop whose dock starts at the
/// user's own "1" (hide intelligently) and whose top bar at "2" (always
/// hide), with the standard store in a real file so that a restart can be
/// played.
class SystemUIFixture {
public:
    SystemUIFixture() {
        desktop.setPanel("dock", "dock-1", "1");
        desktop.setPanel("menubar", "top-1", "2");
    }

    SystemUIManager& start(
        std::optional<PanelScripts> table = sim::SimScriptService::panelScripts()) {
        manager.reset();
        manager = std::make_unique<SystemUIManager>(
            settings, center, scheduler, desktop, std::move(table), *standard,
            SystemUIManager::Hooks{[this] { return detecting; }, [this] { return excluded; }});
        return *manager;
    }

    /// A process that was killed: nothing runs at its end, and the next start
    /// reads the standard store from the file.
    SystemUIManager& restartAfterKill() {
        manager.reset();
        standard = std::make_unique<core::PreferenceStore>(standardFile(), scheduler);
        return start();
    }

    void enableAutoHide(const std::string& option) {
        settings.setAutoHideOption(option);
        settings.setAutoHideEnabled(true);
    }

    std::string dock() const { return desktop.value("dock", "dock-1"); }
    std::string topBar() const { return desktop.value("menubar", "top-1"); }
    std::filesystem::path standardFile() const { return dir / "standard.json"; }
    /// What a fresh process would find in the file right now.
    std::optional<std::string> recordOnDisk() {
        core::PreferenceStore reader(standardFile(), scheduler);
        return reader.stringForKey(SystemUIManager::capturedPanelSettingsKey);
    }

    core::LogCapture logs;
    quorvel::testing::TempDir dir;
    core::VirtualScheduler scheduler{0.0};
    core::NotificationCenter center;
    sim::SimAppCatalog catalog;
    core::PreferenceStore suite{scheduler};
    settings::SettingsManager settings{suite, center, catalog};
    std::unique_ptr<core::PreferenceStore> standard =
        std::make_unique<core::PreferenceStore>(standardFile(), scheduler);
    sim::SimScriptService desktop;
    bool detecting = false;
    bool excluded = false;
    std::unique_ptr<SystemUIManager> manager;
};

}  // namespace quorvel::rules
