#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/scheduler.h"
#include "focus/focus_session.h"
#include "ports/app_catalog.h"
#include "ports/keyboard_layout.h"
#include "ports/script_service.h"
#include "ports/wall_clock.h"
#include "rules/excluded_apps.h"
#include "settings/settings.h"

namespace quorvel::settings_window {

/// Calls into parts of the program the tabs do not own: the panels, updates,
/// autostart, the tray hint and the global shortcuts. One left empty does
/// nothing (a reader gets false or nothing).
struct SettingsWindowHooks {
    // The panels.
    std::function<void()> openPanelSettings;
    /// The desktop whose panel table applies ("XFCE", "KDE", ...); empty when none.
    std::function<std::string()> panelDesktop;
    /// Reads the dock's setting once; nothing when this desktop has no panel
    /// table (hiding then counts as possible).
    std::function<std::optional<ports::ScriptOutcome>()> probePanels;
    /// Desktop-entry ids of the applications with a window, front first.
    std::function<std::vector<std::string>()> runningApplicationIds;
    // Updates.
    std::function<std::optional<double>()> lastUpdateCheck;  // wall-clock seconds
    std::function<bool()> isCheckingForUpdates;
    std::function<void()> checkForUpdates;
    std::function<bool()> checksForUpdatesAutomatically;
    std::function<void(bool)> setChecksForUpdatesAutomatically;
    // Autostart.
    std::function<bool()> isAutostartEnabled;
    std::function<void(bool)> setAutostartEnabled;
    /// Reads the entry again (a change made outside the program shows).
    std::function<void()> refreshAutostart;
    // The tray hint.
    std::function<void()> showHint;
    // The global shortcuts.
    /// Why the shortcut of row 0, 1 or 2 is not grabbed; empty when it is.
    std::function<std::string(int)> shortcutProblem;
    /// A row listens for a new shortcut: the global shortcuts stand aside.
    std::function<void(bool)> setRecording;
};

/// Everything the tabs read and drive. The tabs write the settings and redraw
/// from their changes only.
struct SettingsWindowServices {
    core::Scheduler& scheduler;
    settings::Settings& settings;
    focus::FocusSession& session;
    rules::ExcludedApps& excludedApps;
    const ports::AppCatalog& catalog;
    const ports::KeyboardLayout& keyboardLayout;
    const ports::WallClock& clock;
    SettingsWindowHooks hooks;
    /// Shown in the More tab.
    std::string version = QUORVEL_VERSION;
};

}  // namespace quorvel::settings_window
