#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace quorvel::settings {

/// Which panels are hidden automatically while focus is on. The picker shows
/// one text per option ("Dock & Menu Bar", ...); the store keeps a short one
/// ("both", "dock", "menu bar").
enum class AutoHideOption { hideBoth, hideDock, hideMenuBar };

/// In the order the picker lists them.
inline constexpr std::array<AutoHideOption, 3> allAutoHideOptions{
    AutoHideOption::hideBoth, AutoHideOption::hideDock, AutoHideOption::hideMenuBar};

/// The picker title: "Dock & Menu Bar", "Only Dock", "Only Menu Bar".
std::string_view rawValue(AutoHideOption option);
/// The stored text: "both", "dock", "menu bar".
std::string_view storedValue(AutoHideOption option);
/// Exact match of a picker title; nothing for any other text.
std::optional<AutoHideOption> parseAutoHideTitle(std::string_view title);

/// Reads a stored value case-insensitively; anything unrecognised is `hideBoth`.
/// Silent: used wherever auto-hide is applied.
AutoHideOption parseAutoHideOption(std::string_view stored);
/// The same reading, but explains an unrecognised value in the log (the legacy
/// "as system" gets its own line). Used where the user sees the option.
AutoHideOption parseAutoHideOptionLogging(std::string_view stored);

}  // namespace quorvel::settings
