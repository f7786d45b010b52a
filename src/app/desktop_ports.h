#pragma once

#include <functional>
#include <optional>
#include <string>

#include "core/scheduler.h"
#include "ports/activation_policy.h"
#include "ports/app_catalog.h"
#include "ports/global_hotkeys.h"
#include "ports/hint_window.h"
#include "ports/keyboard_layout.h"
#include "ports/launcher_badge.h"
#include "ports/login_items.h"
#include "ports/main_menu.h"
#include "ports/overlay_windows.h"
#include "ports/overview.h"
#include "ports/screens.h"
#include "ports/script_service.h"
#include "ports/session_events.h"
#include "ports/status_item.h"
#include "ports/update_driver.h"
#include "ports/url_opener.h"
#include "ports/user_notifications.h"
#include "ports/wall_clock.h"
#include "ports/window_list.h"
#include "ports/workspace.h"
#include "rules/panel_scripts.h"

namespace quorvel::app {

/// The desktop one application runs on: real adapters in `main`, the
/// simulated desktop in tests.
struct DesktopPorts {
    core::Scheduler& scheduler;
    ports::WindowList& windowList;
    ports::Screens& screens;
    ports::Workspace& workspace;
    ports::Overview& overview;
    ports::OverlayWindowFactory& overlayWindows;
    ports::AppCatalog& appCatalog;
    ports::KeyboardLayout& keyboardLayout;

    // The control surfaces, the panel scripts and the services. A context made
    // without one of these cannot make the subsystem that needs it (tests that
    // only exercise tracking leave them out).
    ports::StatusItem* statusItem = nullptr;
    ports::GlobalHotkeys* globalHotkeys = nullptr;
    ports::HintWindow* hintWindow = nullptr;
    ports::ScriptService* scripts = nullptr;
    std::optional<rules::PanelScripts> panelScripts = std::nullopt;
    ports::UpdateDriver* updateDriver = nullptr;
    ports::UserNotifications* userNotifications = nullptr;
    ports::LauncherBadge* launcherBadge = nullptr;
    ports::ApplicationPresence* presence = nullptr;
    ports::WallClock* wallClock = nullptr;
    ports::LoginItems* loginItems = nullptr;
    ports::SessionEventSource* sessionEvents = nullptr;
    /// The application's menu bar; absent where the program has none.
    ports::MainMenu* mainMenu = nullptr;
    ports::UrlOpener* urlOpener = nullptr;
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
