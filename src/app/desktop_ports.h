#pragma once

#include <functional>
#include <optional>
#include <string>

#include "core/scheduler.h"
#include "ports/activation_policy.h"
#include "ports/app_catalog.h"
#include "ports/autostart_entry.h"
#include "ports/desktop.h"
#include "ports/global_shortcuts.h"
#include "ports/hint_window.h"
#include "ports/keyboard_layout.h"
#include "ports/launcher_badge.h"
#include "ports/script_service.h"
#include "ports/session_events.h"
#include "ports/top_bar.h"
#include "ports/tray.h"
#include "ports/update_driver.h"
#include "ports/url_opener.h"
#include "ports/user_notifications.h"
#include "ports/veil_windows.h"
#include "ports/wall_clock.h"
#include "rules/panel_scripts.h"

namespace quorvel::app {

/// The desktop one application runs on: real adapters in `main`, the
/// simulated desktop in tests.
struct DesktopPorts {
    core::Scheduler& scheduler;
    ports::Desktop& desktop;
    ports::VeilWindows& veils;
    ports::AppCatalog& appCatalog;
    ports::KeyboardLayout& keyboardLayout;

    // The control surfaces, the panel scripts and the services. An
    // application made without one of these goes without the part that
    // needs it (tests of tracking alone leave them out).
    ports::Tray* tray = nullptr;
    ports::GlobalShortcuts* shortcuts = nullptr;
    ports::HintWindow* hintWindow = nullptr;
    ports::ScriptService* scripts = nullptr;
    std::optional<rules::PanelScripts> panelScripts = std::nullopt;
    ports::TopBar* topBar = nullptr;  // where the table's top panel cannot hide
    ports::UpdateDriver* updateDriver = nullptr;
    ports::UserNotifications* userNotifications = nullptr;
    ports::LauncherBadge* launcherBadge = nullptr;
    ports::ApplicationPresence* presence = nullptr;
    ports::WallClock* wallClock = nullptr;
    ports::AutostartEntry* autostart = nullptr;
    ports::SessionEventSource* sessionEvents = nullptr;
    ports::UrlOpener* urlOpener = nullptr;
};

/// What the application asks of the program around it (the settings window,
/// quitting); `main` or a test fills these in.
struct ApplicationHooks {
    /// Shows the settings window on the named tab ("appearance", "more", ...),
    /// or closes it when it shows.
    std::function<void(const std::string& tab)> showSettings;
    std::function<void()> quit;
};

}  // namespace quorvel::app
