#pragma once

#include "ports/main_menu.h"

namespace quorvel::app {

/// The actions the main menu's items report back.
namespace main_menu_action {
inline constexpr const char* showAbout = "showAbout";
inline constexpr const char* checkForUpdates = "checkForUpdates";
inline constexpr const char* showSettingsWindow = "showSettingsWindow";
inline constexpr const char* terminate = "terminate:";
inline constexpr const char* contactSupport = "contactSupport";
inline constexpr const char* openLearnMorePage = "openLearnMorePage";
// Sent to whichever control has the keyboard focus.
inline constexpr const char* cut = "cut:";
inline constexpr const char* copy = "copy:";
inline constexpr const char* paste = "paste:";
inline constexpr const char* selectAll = "selectAll:";
}  // namespace main_menu_action

/// The title of the custom menu: three bullets.
inline constexpr const char* kCustomMenuTitle = "\u2022\u2022\u2022";

/// The application menu, reduced to About, Check for Updates, Settings and Quit.
ports::MainMenuItem makeApplicationMenu();

/// Installs the "•••" menu at index 1 (or moves it there) and removes the
/// standard menus; a missing main menu is reported.
void setupMainMenu(ports::MainMenu* menu);
/// Removes the top-level File, Edit, View, Window and Help menus, then logs
/// the resulting structure.
void removeStandardMenus(ports::MainMenu* menu);
/// The periodic check: re-applies the menu when an Edit menu came back or
/// the custom menu went away.
void checkMenuStructure(ports::MainMenu* menu);

}  // namespace quorvel::app
