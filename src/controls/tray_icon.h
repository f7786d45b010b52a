#pragma once

#include <functional>
#include <optional>
#include <string>

#include "core/scheduler.h"
#include "focus/focus_session.h"
#include "focus/front_application.h"
#include "ports/app_catalog.h"
#include "ports/tray.h"
#include "rules/excluded_apps.h"

namespace quorvel::controls {

/// What the tray menu reports back through the tray.
namespace tray_action {
inline constexpr const char* toggle = "toggle";
inline constexpr const char* excludeFront = "exclude-front";
inline constexpr const char* mode = "mode";  // tag 0 ambient, 1 deep
inline constexpr const char* settings = "settings";
inline constexpr const char* checkForUpdates = "check-for-updates";
inline constexpr const char* quit = "quit";
}  // namespace tray_action

/// Calls into the program around the tray icon; any may be left empty.
struct TrayHooks {
    std::function<void()> openSettings;
    std::function<void()> checkForUpdates;  // unless a check is already running
    std::function<void()> quit;             // the application's orderly quit
};

/// Quorvel's tray icon and its menu: a click toggles focus, a Shift-click
/// switches the mode, a right-click or Ctrl-click opens the menu. It shows
/// the focus session and the application in front, and redraws from their
/// changes only.
class TrayIcon final : private ports::TrayEvents {
public:
    static constexpr double clickDebounce = 0.3;
    static constexpr double menuMinimumWidth = 180;
    /// The menu's name for an application in front that has none of its own.
    static constexpr const char* unnamedApp = "Current App";

    TrayIcon(focus::FocusSession& session, focus::FrontApplication& front,
             rules::ExcludedApps& excluded, core::Scheduler& scheduler, ports::Tray& tray,
             const ports::AppCatalog& catalog, TrayHooks hooks = {});
    ~TrayIcon() override;
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    const ports::MenuModel& menu() const { return menu_; }
    /// The icon the present state shows.
    std::string iconName() const;

private:
    void redraw();
    ports::MenuItem frontAppItem() const;
    void clicked(ports::MouseButton button, ports::KeyModifiers modifiers) override;
    void menuItemActivated(const std::string& action, int tag) override;
    void availabilityChanged(bool available) override;

    focus::FocusSession& session_;
    focus::FrontApplication& front_;
    rules::ExcludedApps& excluded_;
    core::Scheduler& scheduler_;
    ports::Tray& tray_;
    const ports::AppCatalog& catalog_;
    TrayHooks hooks_;
    ports::MenuModel menu_;
    std::string shownIcon_;
    std::optional<double> lastToggle_;
    std::vector<core::Connection> watches_;
};

}  // namespace quorvel::controls
