#pragma once

#include <QMenuBar>
#include <functional>
#include <string>

#include "core/signal.h"
#include "ports/main_menu.h"

namespace quorvel::qt {

/// The application's main menu drawn as a window's own menu bar (Linux
/// desktops mostly have no global one). It redraws when the menu changes.
/// A chosen item goes to `perform`; the editing commands that `perform`
/// declines go to the control with the keyboard focus.
class MainMenuBar : public QMenuBar {
public:
    /// Runs a menu action; false when the focused control should handle it.
    using Perform = std::function<bool(const std::string& action)>;

    MainMenuBar(ports::MainMenu& menu, Perform perform, QWidget* parent);

private:
    void rebuild();
    void trigger(const std::string& action);

    ports::MainMenu& menu_;
    Perform perform_;
    core::Connection changed_;
};

}  // namespace quorvel::qt
