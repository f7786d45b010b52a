#pragma once

#include <functional>
#include <optional>
#include <string>

#include "core/notification_center.h"
#include "core/scheduler.h"
#include "look/overlay_style.h"
#include "ports/app_catalog.h"
#include "ports/keyboard_layout.h"
#include "ports/script_service.h"
#include "ports/wall_clock.h"
#include "rules/excluded_apps_manager.h"
#include "settings/focus_mode.h"
#include "settings/settings_manager.h"
#include "tracking/overlay_controller.h"

namespace quorvel::settings_window {

/// Calls into subsystems built after the settings window's own inputs: the
/// tray item, the auto-hide manager, updates, start at login and the tray
/// hint. One left empty does nothing (a reader gets false or nothing).
struct SettingsWindowHooks {
    // The tray item.
    std::function<bool()> isDetecting;
    std::function<void(bool)> setDetecting;
    std::function<void(settings::FocusMode)> updateModeItems;
    // The panel auto-hide manager.
    std::function<void(bool)> updateAutoHide;
    std::function<void(const std::string&, bool)> startPermissionMonitoring;
    std::function<void()> openAutomationSettings;
    /// The desktop whose panel table applies ("XFCE", "KDE", ...); empty when none.
    std::function<std::string()> panelDesktop;
    /// Desktop-file ids of the applications with a window, front first.
    std::function<std::vector<std::string>()> runningApplicationIds;
    /// Runs the read of the dock's auto-hide once; nothing when this desktop
    /// has no panel table (auto-hide then counts as allowed).
    std::function<std::optional<ports::ScriptOutcome>()> runPermissionProbe;
    // Updates.
    std::function<std::optional<double>()> lastUpdateCheck;  // wall-clock seconds
    std::function<bool()> isCheckingForUpdates;
    std::function<void()> checkForUpdates;
    std::function<bool()> checksForUpdatesAutomatically;
    std::function<void(bool)> setChecksForUpdatesAutomatically;
    // Start at login.
    std::function<bool()> isLaunchAtLoginEnabled;
    std::function<void(bool)> setLaunchAtLoginEnabled;
    /// Reads the registration again (a change made outside the program shows).
    std::function<void()> refreshLaunchAtLogin;
    // The tray hint.
    std::function<void()> showTooltip;
    /// Why the global shortcut of row 0, 1 or 2 is not grabbed; empty when it is.
    std::function<std::string(int)> shortcutProblem;
};

/// Everything the tabs read and drive.
struct SettingsWindowServices {
    core::Scheduler& scheduler;
    core::NotificationCenter& center;
    settings::SettingsManager& settings;
    look::OverlayStyle& style;
    tracking::OverlayController& overlayController;
    rules::ExcludedAppsManager& excludedApps;
    const ports::AppCatalog& catalog;
    const ports::KeyboardLayout& keyboardLayout;
    const ports::WallClock& clock;
    SettingsWindowHooks hooks;
    /// Shown in the More tab.
    std::string version = QUORVEL_VERSION;

    bool isDetecting() const { return hooks.isDetecting && hooks.isDetecting(); }
};

}  // namespace quorvel::settings_window
