#include "app/main_menu.h"

#include <array>
#include <optional>
#include <string>
#include <utility>

#include "core/log.h"

namespace quorvel::app {

namespace {

using ports::MainMenuItem;
namespace action = main_menu_action;

MainMenuItem item(std::string title, std::string actionName, std::string key = {}) {
    return MainMenuItem{.title = std::move(title),
                        .action = std::move(actionName),
                        .keyEquivalent = std::move(key)};
}

/// A "•••" item only counts as ours when it holds "Send Feedback".
bool isCustomMenu(const MainMenuItem& top) {
    if (top.title != kCustomMenuTitle) return false;
    for (const MainMenuItem& entry : top.submenu) {
        if (entry.title == "Send Feedback") return true;
    }
    return false;
}

std::optional<std::size_t> customMenuIndex(const ports::MainMenu& menu) {
    for (std::size_t i = 0; i < menu.items.size(); ++i) {
        if (isCustomMenu(menu.items[i])) return i;
    }
    return std::nullopt;
}

MainMenuItem makeCustomMenu() {
    MainMenuItem top{.title = kCustomMenuTitle};
    top.submenu = {item("Send Feedback", action::contactSupport),
                   item("Learn More", action::openLearnMorePage),
                   MainMenuItem::makeSeparator(),
                   item("Cut", action::cut, "x"),
                   item("Copy", action::copy, "c"),
                   item("Paste", action::paste, "v"),
                   item("Select All", action::selectAll, "a")};
    return top;
}

/// Removes the first standard menu found; false when there is none.
bool removeOneStandardMenu(ports::MainMenu& menu) {
    static constexpr std::array<std::pair<const char*, const char*>, 5> standard{{
        {"File", "✅ Removed File menu: "},
        {"Edit", "✅ Removed Edit menu: "},
        {"View", "✅ Removed View menu: "},
        {"Window", "✅ Removed Window menu: "},
        {"Help", "✅ Removed Help menu: "},
    }};
    for (std::size_t i = 0; i < menu.items.size(); ++i) {
        if (isCustomMenu(menu.items[i])) continue;
        for (const auto& [title, message] : standard) {
            if (menu.items[i].title != title) continue;
            const std::string removed = menu.items[i].title;
            menu.items.erase(menu.items.begin() + static_cast<std::ptrdiff_t>(i));
            core::log(message + removed);
            return true;
        }
    }
    return false;
}

void logStructure(ports::MainMenu& menu) {
    if (menu.items == menu.lastListed) return;
    menu.lastListed = menu.items;
    core::log("📋 Final menu items:");
    for (std::size_t i = 0; i < menu.items.size(); ++i) {
        core::log("📋 [" + std::to_string(i) + "] " + menu.items[i].title);
        const auto& submenu = menu.items[i].submenu;
        for (std::size_t j = 0; j < submenu.size(); ++j) {
            core::log("📋   [" + std::to_string(j) + "] " + submenu[j].title);
        }
    }
}

}  // namespace

MainMenuItem makeApplicationMenu() {
    MainMenuItem top{.title = "Quorvel"};
    top.submenu = {item("About Quorvel", action::showAbout),
                   MainMenuItem::makeSeparator(),
                   item("Check for Updates", action::checkForUpdates),
                   MainMenuItem::makeSeparator(),
                   item("Settings...", action::showSettingsWindow, ","),
                   MainMenuItem::makeSeparator(),
                   item("Quit Quorvel", action::terminate, "q")};
    return top;
}

void setupMainMenu(ports::MainMenu* menu) {
    if (!menu) {
        core::log("⚠️ Main menu not available");
        return;
    }
    if (auto found = customMenuIndex(*menu)) {
        if (*found != 1 && menu->items.size() >= 2) {
            MainMenuItem custom = std::move(menu->items[*found]);
            menu->items.erase(menu->items.begin() + static_cast<std::ptrdiff_t>(*found));
            menu->items.insert(menu->items.begin() + 1, std::move(custom));
            core::log("✅ Repositioned existing ••• menu to position 1");
            menu->notifyChanged();
        }
        removeStandardMenus(menu);
        return;
    }
    core::log("📋 Creating ••• menu with essential commands");
    MainMenuItem custom = makeCustomMenu();
    // From the last to the first, so the indices still to visit stay valid.
    for (std::size_t i = menu->items.size(); i-- > 0;) {
        if (menu->items[i].title != "Edit") continue;
        menu->items.erase(menu->items.begin() + static_cast<std::ptrdiff_t>(i));
        core::log("✅ Removed existing Edit menu before adding custom menu");
    }
    const std::size_t index = menu->items.empty() ? 0 : 1;
    menu->items.insert(menu->items.begin() + static_cast<std::ptrdiff_t>(index), std::move(custom));
    core::log("✅ Added ••• menu to main menu bar at position " + std::to_string(index));
    menu->notifyChanged();
    removeStandardMenus(menu);
}

void removeStandardMenus(ports::MainMenu* menu) {
    if (!menu) return;
    bool removed = false;
    while (removeOneStandardMenu(*menu)) removed = true;
    if (removed) menu->notifyChanged();
    logStructure(*menu);
}

void checkMenuStructure(ports::MainMenu* menu) {
    if (!menu) return;
    bool hasEdit = false;
    for (const MainMenuItem& top : menu->items) hasEdit = hasEdit || top.title == "Edit";
    if (!hasEdit && customMenuIndex(*menu)) return;
    core::log("🔄 Menu structure changed, reapplying custom menu");
    setupMainMenu(menu);
}

}  // namespace quorvel::app
