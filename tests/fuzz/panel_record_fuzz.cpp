// The record of the user's panel settings kept in the standard store, read at
// start to put the panels back after an unclean exit. The record's values end
// up in the scripts that write the panels, so besides being read safely, no
// byte of it may reach a script unless it is a plain token.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/log.h"
#include "core/notification_center.h"
#include "core/preference_store.h"
#include "core/virtual_scheduler.h"
#include "rules/panel_auto_hide.h"
#include "settings/settings_manager.h"
#include "sim/sim_app_catalog.h"
#include "sim/sim_script_service.h"

namespace quorvel::fuzz {
namespace {

bool isPlainWrite(std::string_view value) {
    for (const char c : value) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') ||
                           std::string_view("-_.:,= ").find(c) != std::string_view::npos;
        if (!plain) return false;
    }
    return true;
}

void checkScripts(const sim::SimScriptService& desktop) {
    constexpr std::string_view kWrite = "sim write ";
    for (const std::string& script : desktop.executed()) {
        if (script.rfind(kWrite, 0) != 0) continue;
        if (!isPlainWrite(std::string_view(script).substr(kWrite.size()))) __builtin_trap();
    }
}

}  // namespace
}  // namespace quorvel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quorvel;
    // The first byte picks the desktop's shape: with or without a top bar
    // that can hide.
    if (size == 0) return 0;
    const bool withMenuBar = (data[0] & 1) != 0;
    const std::string record(reinterpret_cast<const char*>(data) + 1, size - 1);

    core::LogCapture quiet;
    core::VirtualScheduler scheduler;
    core::NotificationCenter center;
    sim::SimAppCatalog catalog;
    core::PreferenceStore suite(scheduler);
    settings::SettingsManager settings(suite, center, catalog);
    core::PreferenceStore standard(scheduler);
    standard.set(rules::PanelAutoHide::capturedPanelSettingsKey, record);
    sim::SimScriptService desktop;
    desktop.setPanel("dock", "dock-1", "1");
    {
        rules::PanelAutoHide manager(settings, center, scheduler, desktop,
                                     sim::SimScriptService::panelScripts(withMenuBar), standard,
                                     {[] { return false; }, [] { return false; }});
        scheduler.advance(2.0);
    }
    fuzz::checkScripts(desktop);
    return 0;
}
