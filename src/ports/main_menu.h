#pragma once

#include <string>
#include <utility>
#include <vector>

#include "core/signal.h"

namespace quorvel::ports {

/// One entry of the application's menu bar, as data. Top-level entries carry
/// a submenu; the adapter draws the bar from these and reports the action of
/// the item the user chose.
struct MainMenuItem {
    std::string title{};
    std::string action{};         // empty: the item does nothing by itself
    std::string keyEquivalent{};  // one character, with the desktop's command modifier
    bool separator = false;
    std::vector<MainMenuItem> submenu{};

    bool operator==(const MainMenuItem&) const = default;

    static MainMenuItem makeSeparator() { return MainMenuItem{.separator = true}; }
};

/// The application's main menu. The behaviour edits `items` and then calls
/// `notifyChanged`; the desktop shows it wherever its application menus live
/// (on a desktop without a global menu bar, in the settings window's own bar).
class MainMenu {
public:
    MainMenu() = default;
    explicit MainMenu(std::vector<MainMenuItem> initial) : items(std::move(initial)) {}

    std::vector<MainMenuItem> items{};
    /// The items as the log last listed them: the menu is checked again and
    /// again, and an unchanged menu is not worth a listing each time.
    std::vector<MainMenuItem> lastListed{};

    /// Called after an edit; the adapter redraws from `items`.
    void notifyChanged() { changed_.emit(); }
    core::Signal<>& changed() { return changed_; }

private:
    core::Signal<> changed_;
};

}  // namespace quorvel::ports
