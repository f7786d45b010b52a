#pragma once

#include <QMenuBar>
#include <functional>
#include <string>

#include "ports/app_menu.h"

namespace quorvel::qt {

/// The settings window's menus drawn as its own menu bar (Linux desktops
/// mostly have no global one). A chosen item goes to `perform`; the editing
/// commands that `perform` declines go to the control with the keyboard focus.
class QtMenuBar : public QMenuBar {
public:
    /// Runs a menu action; false when the focused control should handle it.
    using Perform = std::function<bool(const std::string& action)>;

    QtMenuBar(const std::vector<ports::AppMenuItem>& menus, Perform perform, QWidget* parent);

private:
    void trigger(const std::string& action);

    Perform perform_;
};

}  // namespace quorvel::qt
