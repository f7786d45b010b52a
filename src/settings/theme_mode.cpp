#include "settings/theme_mode.h"

namespace quorvel::settings {

std::string_view rawValue(ThemeMode mode) {
    switch (mode) {
        case ThemeMode::light:
            return "Light";
        case ThemeMode::dark:
            return "Dark";
        case ThemeMode::automatic:
            break;
    }
    return "As System";
}

std::optional<ThemeMode> parseThemeMode(std::string_view raw) {
    for (ThemeMode mode : allThemeModes) {
        if (rawValue(mode) == raw) return mode;
    }
    return std::nullopt;
}

}  // namespace quorvel::settings
