#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/app_context.h"
#include "controls/hot_key_manager.h"
#include "controls/menu_bar_item.h"
#include "core/log.h"
#include "core/virtual_scheduler.h"
#include "sim/sim_app_catalog.h"
#include "sim/sim_desktop.h"
#include "sim/sim_global_hotkeys.h"
#include "sim/sim_keyboard_layout.h"
#include "sim/sim_status_item.h"
#include "sim/sim_user_notifications.h"

namespace quorvel::controls::testing {

/// One application on the simulated desktop, with the tray item and the hot
/// keys built the way the application builds them (tray item first).
class ControlsTest : public ::testing::Test {
protected:
    ControlsTest() {
        desktop.addMonitor({0, 0, 1920, 1080}, 1);
        layout.setCharacters(3, "f");
        layout.setCharacters(46, "m");
        layout.setCharacters(14, "e");
        context.focusHooks().isDetecting = [this] { return menuBar && menuBar->isDetecting(); };
        context.focusHooks().updateAutoHide = [this](bool on) { controllerAutoHide.push_back(on); };
    }

    /// Builds the tray item (and the hot keys), then lets the first turn of
    /// the main queue run so that the menu exists.
    void start(bool withHotKeys = true) {
        MenuBarHooks hooks;
        hooks.openSettings = [this] { ++openSettingsCalls; };
        hooks.checkForUpdates = [this] { ++checkForUpdatesCalls; };
        hooks.quit = [this] { ++quitCalls; };
        hooks.updateAutoHide = [this](bool on) { autoHide.push_back(on); };
        auto& settings = context.settingsManager();
        auto& style = context.overlayStyle();
        auto& excluded = context.excludedAppsManager();
        auto& controller = context.overlayController();
        menuBar = std::make_unique<MenuBarItem>(settings, style, controller, excluded, center(),
                                                scheduler, statusItem, desktop, catalog, hooks);
        if (withHotKeys) {
            hotKeys = std::make_unique<HotKeyManager>(settings, style, *menuBar, center(),
                                                      scheduler, hotkeys, layout, &notifications);
        }
        scheduler.runPending();
    }

    core::NotificationCenter& center() { return context.notificationCenter(); }
    settings::SettingsManager& settings() { return context.settingsManager(); }
    bool storedOverlayEnabled() {
        return settings().defaults().boolForKey(settings::keys::isOverlayEnabled);
    }
    /// Installs an application and brings it to the front.
    void activate(const std::string& id, const std::string& name) {
        if (!catalog.locate(id)) catalog.addApplication(id, name, id + "-icon");
        desktop.setFrontmostApplication(ports::RunningApplication{id, name});
        scheduler.runPending();
    }
    /// Counts the posts of one notification name while the test runs.
    int& countPosts(const char* name) {
        counters.push_back(std::make_unique<int>(0));
        int* counter = counters.back().get();
        observations.emplace_back(center(), name,
                                  [counter](const core::Notification&) { ++*counter; });
        return *counter;
    }
    const std::vector<ports::MenuItem>& items() { return menuBar->menu()->items; }

    core::LogCapture log;
    core::VirtualScheduler scheduler;
    sim::SimDesktop desktop{scheduler};
    sim::SimAppCatalog catalog;
    sim::SimKeyboardLayout layout;
    sim::SimStatusItem statusItem;
    sim::SimGlobalHotkeys hotkeys;
    sim::SimUserNotifications notifications;
    app::AppContext context{
        app::DesktopPorts{scheduler, desktop, desktop, desktop, desktop, desktop, catalog, layout}};
    std::unique_ptr<MenuBarItem> menuBar;
    std::unique_ptr<HotKeyManager> hotKeys;

    std::vector<bool> autoHide;            // calls from the tray item
    std::vector<bool> controllerAutoHide;  // calls from the overlay controller / rules
    int openSettingsCalls = 0;
    int checkForUpdatesCalls = 0;
    int quitCalls = 0;
    std::vector<std::unique_ptr<int>> counters;
    std::vector<core::Observation> observations;
};

}  // namespace quorvel::controls::testing
