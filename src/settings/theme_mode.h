#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace quorvel::settings {

/// The veil's theme. `automatic` follows the desktop's light or dark setting
/// (the stored text is "As System").
enum class ThemeMode { automatic, light, dark };

/// In the order the user is offered them.
inline constexpr std::array<ThemeMode, 3> allThemeModes{ThemeMode::automatic, ThemeMode::light,
                                                        ThemeMode::dark};

/// Stored and shown alike: "As System", "Light", "Dark".
std::string_view rawValue(ThemeMode mode);
/// Exact, case-sensitive match; nothing for any other text.
std::optional<ThemeMode> parseThemeMode(std::string_view raw);

}  // namespace quorvel::settings
