// Panel auto-hide on KDE Plasma through the scripts Plasma's own scripting
// runs (evaluateScript), against a stand-in plasmashell that keeps its panels
// in a file (autohide_plasma_run.sh).
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>

#include "core/log.h"
#include "core/notification_center.h"
#include "core/preference_store.h"
#include "core/virtual_scheduler.h"
#include "qt/process_script_service.h"
#include "sim/sim_app_catalog.h"
#include "rules/desktop_panel_tables.h"
#include "rules/system_ui_manager.h"
#include "settings/settings_manager.h"

namespace quorvel {
namespace {

nlohmann::json readPanels() {
    std::ifstream file(std::getenv("QUORVEL_PLASMA_PANELS"));
    return nlohmann::json::parse(file);
}

void setHiding(int id, const std::string& hiding) {
    nlohmann::json panels = readPanels();
    for (auto& p : panels) {
        if (p["id"] == id) p["hiding"] = hiding;
    }
    std::ofstream(std::getenv("QUORVEL_PLASMA_PANELS")) << panels.dump();
}

std::string hiding(int id) {
    for (const auto& p : readPanels()) {
        if (p["id"] == id) return p["hiding"];
    }
    return "";
}

TEST(AutoHidePlasma, HidesBothPanelsAndGivesBackTheUsersValuesAndChoicesMadeMeanwhile) {
    std::ofstream(std::getenv("QUORVEL_PLASMA_PANELS"))
        << R"([{"id": 1, "location": "top", "hiding": "none"},
               {"id": 2, "location": "bottom", "hiding": "windowsbelow"}])";
    core::LogCapture logs;
    core::VirtualScheduler scheduler{0.0};
    core::NotificationCenter center;
    sim::SimAppCatalog catalog;
    core::PreferenceStore suite{scheduler}, standard{scheduler};
    settings::SettingsManager settings{suite, center, catalog};
    qt::ProcessScriptService scripts;
    settings.setAutoHideOption("both");
    settings.setAutoHideEnabled(true);
    rules::SystemUIManager manager(
        settings, center, scheduler, scripts, rules::detectPanelDesktop("KDE", scripts), standard,
        rules::SystemUIManager::Hooks{[] { return true; }, [] { return false; }});

    manager.updateAutoHide(true);
    EXPECT_EQ(hiding(1), "autohide");
    EXPECT_EQ(hiding(2), "autohide");
    setHiding(1, "dodgewindows");  // the user, in the panel's own settings
    manager.updateAutoHide(false);
    EXPECT_EQ(hiding(1), "dodgewindows") << "the choice made while hidden stays";
    EXPECT_EQ(hiding(2), "windowsbelow") << "the user's own value comes back, not 'none'";
    for (const auto& line : logs.lines()) {
        EXPECT_EQ(line.find("verification failed"), std::string::npos) << line;
        EXPECT_EQ(line.find("Error executing"), std::string::npos) << line;
    }
}

}  // namespace
}  // namespace quorvel

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
