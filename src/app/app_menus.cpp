#include "app/app_menus.h"

namespace quorvel::app {

namespace {

ports::AppMenuItem item(const char* title, const char* action, const char* shortcut = "") {
    return ports::AppMenuItem{.title = title, .action = action, .shortcut = shortcut};
}

}  // namespace

std::vector<ports::AppMenuItem> makeAppMenus() {
    namespace a = menu_action;
    using ports::AppMenuItem;
    AppMenuItem quorvel{.title = "Quorvel"};
    quorvel.submenu = {
        item("About Quorvel", a::about), item("Check for Updates", a::checkForUpdates),
        AppMenuItem::makeSeparator(),    item("Settings...", a::settings, ","),
        AppMenuItem::makeSeparator(),    item("Quit Quorvel", a::quit, "q")};
    AppMenuItem edit{.title = "Edit"};
    edit.submenu = {item("Cut", a::cut, "x"), item("Copy", a::copy, "c"),
                    item("Paste", a::paste, "v"), AppMenuItem::makeSeparator(),
                    item("Select All", a::selectAll, "a")};
    AppMenuItem help{.title = "Help"};
    help.submenu = {item("Send Feedback", a::sendFeedback), item("Learn More", a::learnMore)};
    return {quorvel, edit, help};
}

}  // namespace quorvel::app
