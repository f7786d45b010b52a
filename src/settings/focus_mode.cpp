#include "settings/focus_mode.h"

namespace quorvel::settings {

std::string_view rawValue(FocusMode mode) {
    return mode == FocusMode::ambient ? "ambient" : "deep";
}

std::string_view title(FocusMode mode) {
    return mode == FocusMode::ambient ? "Ambient" : "Deep";
}

std::optional<FocusMode> parseFocusMode(std::string_view raw) {
    for (FocusMode mode : allFocusModes) {
        if (rawValue(mode) == raw) return mode;
    }
    return std::nullopt;
}

}  // namespace quorvel::settings
