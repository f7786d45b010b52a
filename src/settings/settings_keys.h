#pragma once

#include <cstdint>

#include "settings/focus_mode.h"
#include "settings/key_combo.h"
#include "settings/theme_mode.h"

// The keys of the settings file and the value each reads as until written.
// Readers of plain booleans and doubles ask `SettingsManager::defaults()`
// directly under these keys.
namespace quorvel::settings::keys {

inline constexpr const char* isOverlayEnabled = "isOverlayEnabled";
inline constexpr const char* focusMode = "focusMode";
inline constexpr const char* grainIntensity = "grainIntensity";
inline constexpr const char* isSingleMode = "isSingleMode";
inline constexpr const char* autoHideOption = "autoHideOption";
inline constexpr const char* isAutoHideEnabled = "isAutoHideEnabled";
inline constexpr const char* useSlightTransparency = "useSlightTransparency";
inline constexpr const char* transitionDuration = "transitionDuration";
inline constexpr const char* opacityValue = "opacityValue";
inline constexpr const char* themeMode = "themeMode";
inline constexpr const char* shortcut = "shortcut";
inline constexpr const char* focusModeShortcut = "focusModeShortcut";
inline constexpr const char* excludeAppShortcut = "excludeAppShortcut";
inline constexpr const char* excludedApps = "excludedApps";
inline constexpr const char* settingsVersion = "settings_version";

}  // namespace quorvel::settings::keys

namespace quorvel::settings::defaultValue {

inline constexpr bool isOverlayEnabled = true;
inline constexpr FocusMode focusMode = FocusMode::deep;
inline constexpr double grainIntensity = 0.5;
inline constexpr bool isSingleMode = false;
inline constexpr const char* autoHideOption = "both";
inline constexpr bool isAutoHideEnabled = false;
inline constexpr bool useSlightTransparency = false;
inline constexpr double transitionDuration = 0.5;
inline constexpr double opacityValue = 1.0;
inline constexpr ThemeMode themeMode = ThemeMode::automatic;
inline constexpr KeyCombo shortcut{3, modifier::controlOptionCommand};             // ⌃⌥⌘F
inline constexpr KeyCombo focusModeShortcut{46, modifier::controlOptionCommand};   // ⌃⌥⌘M
inline constexpr KeyCombo excludeAppShortcut{14, modifier::controlOptionCommand};  // ⌃⌥⌘E
inline constexpr std::int64_t settingsVersion = 1;

}  // namespace quorvel::settings::defaultValue
