// The record of the user's panel settings kept in the standard store, read at
// start to put the panels back after an unclean exit. The record's values end
// up in the scripts that write the panels, so besides being read safely, no
// byte of it may reach a script unless it is a plain token.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/log.h"
#include "core/preference_store.h"
#include "core/virtual_scheduler.h"
#include "focus/focus_session.h"
#include "focus/front_application.h"
#include "rules/excluded_apps.h"
#include "rules/panel_auto_hide.h"
#include "sim/sim_app_catalog.h"
#include "sim/sim_desktop.h"
#include "sim/sim_script_service.h"

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quorvel;
    // The first byte picks the desktop's shape: with or without a top bar that can hide.
    if (size == 0) return 0;
    const bool withTop = (data[0] & 1) != 0;
    core::LogCapture quiet;
    core::VirtualScheduler scheduler;
    core::PreferenceStore suite(scheduler);
    settings::Settings settings(suite);
    sim::SimAppCatalog catalog;
    sim::SimDesktop desktop(scheduler);
    rules::ExcludedApps excluded(settings, catalog);
    focus::FocusSession session(settings);
    focus::FrontApplication front(desktop, excluded);
    core::PreferenceStore standard(scheduler);
    standard.set(rules::PanelAutoHide::capturedPanelSettingsKey,
                 std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
    sim::SimScriptService scripts;
    scripts.setPanel("dock", "dock-1", "1");
    {
        rules::PanelAutoHide panels(settings, session, front, scheduler, scripts,
                                    sim::SimScriptService::panelScripts(withTop), standard);
        scheduler.advance(2.0);
    }
    constexpr std::string_view kWrite = "sim write ";
    for (const std::string& script : scripts.executed()) {
        if (script.starts_with(kWrite) &&
            !isPlainWrite(std::string_view(script).substr(kWrite.size()))) {
            __builtin_trap();
        }
    }
    return 0;
}
