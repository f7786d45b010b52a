#pragma once

#include <string>
#include <vector>

namespace quorvel::ports {

/// One entry of the settings window's menu bar, as data. Top-level entries
/// carry a submenu; the adapter draws the bar from these and reports the
/// action of the item the user chose.
struct AppMenuItem {
    std::string title{};
    std::string action{};    // empty: the item does nothing by itself
    std::string shortcut{};  // one key, pressed with Ctrl
    bool separator = false;
    std::vector<AppMenuItem> submenu{};

    bool operator==(const AppMenuItem&) const = default;

    static AppMenuItem makeSeparator() { return AppMenuItem{.separator = true}; }
};

}  // namespace quorvel::ports
