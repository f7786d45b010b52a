#include "settings/auto_hide_option.h"

#include "core/log.h"
#include "settings/key_combo.h"

namespace quorvel::settings {

namespace {

std::optional<AutoHideOption> recognised(std::string_view stored) {
    const std::string lower = lowerCased(stored);
    if (lower == "dock") return AutoHideOption::hideDock;
    if (lower == "menu bar" || lower == "menubar") return AutoHideOption::hideMenuBar;
    if (lower == "both") return AutoHideOption::hideBoth;
    return std::nullopt;
}

}  // namespace

std::string_view rawValue(AutoHideOption option) {
    switch (option) {
        case AutoHideOption::hideDock:
            return "Only Dock";
        case AutoHideOption::hideMenuBar:
            return "Only Menu Bar";
        case AutoHideOption::hideBoth:
            break;
    }
    return "Dock & Menu Bar";
}

std::string_view storedValue(AutoHideOption option) {
    switch (option) {
        case AutoHideOption::hideDock:
            return "dock";
        case AutoHideOption::hideMenuBar:
            return "menu bar";
        case AutoHideOption::hideBoth:
            break;
    }
    return "both";
}

std::optional<AutoHideOption> parseAutoHideTitle(std::string_view title) {
    for (AutoHideOption option : allAutoHideOptions) {
        if (rawValue(option) == title) return option;
    }
    return std::nullopt;
}

AutoHideOption parseAutoHideOption(std::string_view stored) {
    return recognised(stored).value_or(AutoHideOption::hideBoth);
}

AutoHideOption parseAutoHideOptionLogging(std::string_view stored) {
    if (auto option = recognised(stored)) return *option;
    if (lowerCased(stored) == "as system") {
        core::log("🪟 Converting legacy 'as system' to 'both'");
    } else {
        core::log("🪟 Unknown auto-hide option: '" + std::string(stored) +
                  "', defaulting to 'Dock & Menu Bar'");
    }
    return AutoHideOption::hideBoth;
}

}  // namespace quorvel::settings
