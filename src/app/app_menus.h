#pragma once

#include <vector>

#include "ports/app_menu.h"

namespace quorvel::app {

/// The actions of the settings window's menus.
namespace menu_action {
inline constexpr const char* about = "about";
inline constexpr const char* checkForUpdates = "check-for-updates";
inline constexpr const char* settings = "settings";
inline constexpr const char* quit = "quit";
inline constexpr const char* sendFeedback = "send-feedback";
inline constexpr const char* learnMore = "learn-more";
// Sent to whichever control has the keyboard focus.
inline constexpr const char* cut = "cut";
inline constexpr const char* copy = "copy";
inline constexpr const char* paste = "paste";
inline constexpr const char* selectAll = "selectAll";
}  // namespace menu_action

/// The settings window's menus: Quorvel (About, Check for Updates, Settings,
/// Quit), Edit (the editing commands) and Help (Send Feedback, Learn More).
std::vector<ports::AppMenuItem> makeAppMenus();

}  // namespace quorvel::app
