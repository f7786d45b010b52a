#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace quorvel::settings {

/// How strongly the veil hides what is behind the focused window.
enum class FocusMode { ambient, deep };

inline constexpr std::array<FocusMode, 2> allFocusModes{FocusMode::ambient, FocusMode::deep};

/// The stored form: "ambient" or "deep".
std::string_view rawValue(FocusMode mode);
/// The form shown to the user: "Ambient" or "Deep".
std::string_view title(FocusMode mode);
/// Exact, case-sensitive match of a stored form; nothing for any other text.
std::optional<FocusMode> parseFocusMode(std::string_view raw);

}  // namespace quorvel::settings
