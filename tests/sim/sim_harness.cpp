#include "sim/sim_harness.h"

#include <fstream>

namespace quorvel::sim {

SimHarness::SimHarness(std::filesystem::path configDir) : configDir_(std::move(configDir)) {}

SimHarness::~SimHarness() {
    application_.reset();
}

app::DesktopPorts SimHarness::ports() {
    app::DesktopPorts p{scheduler, desktop, desktop, catalog, keyboard};
    p.tray = &tray;
    p.shortcuts = &shortcuts;
    p.hintWindow = &hint;
    p.scripts = scriptService;
    p.panelScripts = panelScripts;
    p.updateDriver = &updates;
    p.userNotifications = &notifications;
    p.launcherBadge = &badge;
    p.presence = &presence;
    p.wallClock = &clock;
    p.autostart = &autostart;
    p.sessionEvents = &session;
    p.urlOpener = &links;
    return p;
}

app::Application& SimHarness::start(const nlohmann::json& stored) {
    if (application_) return *application_;
    if (!stored.empty()) {
        if (configDir_.empty()) {
            ownDir_ = std::make_unique<quorvel::testing::TempDir>();
            configDir_ = ownDir_->path();
        }
        std::ofstream(configDir_ / app::Application::kSettingsFileName) << stored.dump();
    }
    application_ = std::make_unique<app::Application>(ports(), configDir_);
    return *application_;
}

app::Application& SimHarness::relaunch() {
    application_.reset();
    return start();
}

}  // namespace quorvel::sim
