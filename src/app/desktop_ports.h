#pragma once

#include <functional>
#include <optional>
#include <string>

#include "core/scheduler.h"
#include "platform/activation_policy.h"
#include "platform/app_catalog.h"
#include "platform/global_hotkeys.h"
#include "platform/hint_window.h"
#include "platform/keyboard_layout.h"
#include "platform/launcher_badge.h"
#include "platform/login_items.h"
#include "platform/main_menu.h"
#include "platform/overlay_windows.h"
#include "platform/overview.h"
#include "platform/screens.h"
#include "platform/script_service.h"
#include "platform/session_events.h"
#include "platform/status_item.h"
#include "platform/update_driver.h"
#include "platform/url_opener.h"
#include "platform/user_notifications.h"
#include "platform/wall_clock.h"
#include "platform/window_list.h"
#include "platform/workspace.h"
#include "rules/panel_scripts.h"

namespace quorvel::app {

/// The desktop one application runs on: real adapters in `main`, the
/// simulated desktop in tests.
struct DesktopPorts {
    core::Scheduler& scheduler;
    platform::WindowList& windowList;
    platform::Screens& screens;
    platform::Workspace& workspace;
    platform::Overview& overview;
    platform::OverlayWindowFactory& overlayWindows;
    platform::AppCatalog& appCatalog;
    platform::KeyboardLayout& keyboardLayout;

    // The control surfaces, the panel scripts and the services. A context made
    // without one of these cannot make the subsystem that needs it (tests that
    // only exercise tracking leave them out).
    platform::StatusItem* statusItem = nullptr;
    platform::GlobalHotkeys* globalHotkeys = nullptr;
    platform::HintWindow* hintWindow = nullptr;
    platform::ScriptService* scripts = nullptr;
    std::optional<rules::PanelScripts> panelScripts = std::nullopt;
    platform::UpdateDriver* updateDriver = nullptr;
    platform::UserNotifications* userNotifications = nullptr;
    platform::LauncherBadge* launcherBadge = nullptr;
    platform::ApplicationPresence* presence = nullptr;
    platform::WallClock* wallClock = nullptr;
    platform::LoginItems* loginItems = nullptr;
    platform::SessionEventSource* sessionEvents = nullptr;
    /// The application's menu bar; absent where the program has none.
    platform::MainMenu* mainMenu = nullptr;
    platform::UrlOpener* urlOpener = nullptr;
};

/// What the tray menu asks of the program around it (the settings window,
/// quitting); `main` or a test fills these before the tray item is made.
struct ApplicationHooks {
    std::function<void()> openSettings;
    std::function<void()> quit;
    /// The settings window's published visibility (false when there is none).
    std::function<bool()> isSettingsWindowVisible;
    /// Shows the settings window on the named tab ("more" for About).
    std::function<void(const std::string& tab)> showSettingsTab;
};

}  // namespace quorvel::app
