#pragma once

namespace quorvel::settings::notifications {

// Settings and the overlay style.
inline constexpr const char* settingsDidChange = "SettingsDidChange";
inline constexpr const char* focusModeDidChange = "FocusModeDidChange";
inline constexpr const char* grainIntensityDidChange = "GrainIntensityDidChange";
inline constexpr const char* transparencyDidChange = "TransparencyDidChange";
inline constexpr const char* transitionDurationDidChange = "TransitionDurationDidChange";
inline constexpr const char* opacityValueDidChange = "OpacityValueDidChange";
inline constexpr const char* themeModeDidChange = "ThemeModeDidChange";

// Focus and the overlay controller.
inline constexpr const char* detectionStateDidChange = "DetectionStateDidChange";
inline constexpr const char* displayModeDidChange = "DisplayModeDidChange";

// Shortcuts.
inline constexpr const char* shortcutDidChange = "ShortcutDidChange";
inline constexpr const char* focusModeShortcutDidChange = "FocusModeShortcutDidChange";
inline constexpr const char* excludeAppShortcutDidChange = "ExcludeAppShortcutDidChange";
inline constexpr const char* shortcutRecordingDidChange = "ShortcutRecordingDidChange";

// The application came to the front (its settings window got the focus).
inline constexpr const char* applicationDidBecomeActive = "ApplicationDidBecomeActive";

// The settings window.
inline constexpr const char* windowWillOpen = "WindowWillOpen";
inline constexpr const char* windowDidOpen = "WindowDidOpen";
inline constexpr const char* windowWillClose = "WindowWillClose";
inline constexpr const char* windowDidClose = "WindowDidClose";
inline constexpr const char* settingsSelectTab = "SettingsSelectTab";

// Excluded applications.
inline constexpr const char* checkExcludedApp = "CheckExcludedApp";
inline constexpr const char* excludedAppCheckResult = "ExcludedAppCheckResult";
inline constexpr const char* excludedAppsDidChange = "ExcludedAppsDidChange";

// The updater's progress, posted by the update checker itself.
inline constexpr const char* updaterWillCheckForUpdates =
    "SUUpdaterWillCheckForUpdatesNotification";
inline constexpr const char* updaterDidFinishLoadingAppCast =
    "SUUpdaterDidFinishLoadingAppCastNotification";
inline constexpr const char* updaterDidFinishCheckingForUpdates =
    "SUUpdaterDidFinishCheckingForUpdatesNotification";

// User-information keys.
inline constexpr const char* isRecordingKey = "isRecording";          // bool
inline constexpr const char* tabNameKey = "tabName";                  // std::string
inline constexpr const char* bundleIdKey = "bundleId";                // std::string
inline constexpr const char* isExcludedKey = "isExcluded";            // bool
inline constexpr const char* addedAppKey = "addedApp";                // settings::ExcludedApp
inline constexpr const char* removedBundleIdKey = "removedBundleId";  // std::string

}  // namespace quorvel::settings::notifications
