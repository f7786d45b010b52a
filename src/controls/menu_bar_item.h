#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/notification_center.h"
#include "core/scheduler.h"
#include "ports/app_catalog.h"
#include "ports/status_item.h"
#include "ports/workspace.h"
#include "settings/focus_mode.h"

namespace quorvel::settings {
class SettingsManager;
}
namespace quorvel::look {
class OverlayStyle;
}
namespace quorvel::tracking {
class OverlayController;
}
namespace quorvel::rules {
class ExcludedAppsManager;
}

namespace quorvel::controls {

/// The actions the tray menu reports back through the status item.
namespace menu_action {
inline constexpr const char* toggleOverlay = "toggleOverlay";
inline constexpr const char* toggleForCurrentApp = "toggleForCurrentApp";
inline constexpr const char* focusModeSelected = "focusModeSelected:";
inline constexpr const char* openSettings = "openSettings";
inline constexpr const char* checkForUpdates = "checkForUpdates";
inline constexpr const char* terminate = "terminate:";
}  // namespace menu_action

/// Calls into parts that are built after the tray icon; any may be left empty.
struct MenuBarHooks {
    std::function<void()> openSettings;        // Appearance tab, then show or hide the window
    std::function<void()> checkForUpdates;     // unless a check is already running
    std::function<void()> quit;                // the application's orderly termination
    std::function<void(bool)> updateAutoHide;  // the panel auto-hide manager; true = focus active
};

/// The tray icon, its menu and the one switch that says whether focus is on.
class MenuBarItem final : private ports::StatusItemEvents, private ports::WorkspaceEvents {
public:
    static constexpr double clickDebounce = 0.3;
    static constexpr double menuMinimumWidth = 180;
    static constexpr const char* defaultAppName = "Current App";
    static constexpr const char* includeTitle = "Include ";
    static constexpr const char* excludeTitle = "Exclude ";

    struct AppInfo {
        std::string name;
        std::string icon;  // empty for none
        std::optional<std::string> bundleId;
    };

    /// Reads "isOverlayEnabled" and, when it is on, starts monitoring at once;
    /// the menu and the icon follow on the next turn of the main queue.
    MenuBarItem(settings::SettingsManager& settings, look::OverlayStyle& style,
                tracking::OverlayController& controller, rules::ExcludedAppsManager& excluded,
                core::NotificationCenter& center, core::Scheduler& scheduler,
                ports::StatusItem& statusItem, ports::Workspace& workspace,
                const ports::AppCatalog& catalog, MenuBarHooks hooks = {});
    ~MenuBarItem() override;
    MenuBarItem(const MenuBarItem&) = delete;
    MenuBarItem& operator=(const MenuBarItem&) = delete;

    bool isDetecting() const { return isDetecting_; }
    /// Switches focus on the next turn of the main queue; until then
    /// `isDetecting` still reads the old state.
    void setDetecting(bool detecting);

    void handleStatusItemClick(ports::MouseButton button, ports::KeyModifiers modifiers);
    void toggleOverlay() { setDetecting(!isDetecting_); }
    void toggleForCurrentApp();
    void focusModeSelected(int tag);
    void openSettings();
    void checkForUpdates();
    void updateModeItems(settings::FocusMode mode);
    void updateIcon();
    void handleActiveAppChange();

    /// The tray icon, put into the tray on first access.
    ports::StatusItem& statusItem();
    /// Nothing until the menu is first built.
    const std::optional<ports::MenuModel>& menu() const { return menu_; }
    std::optional<bool> lastKnownExclusionState() const { return lastKnownExclusionState_; }
    /// The icon the table picks for the present state.
    std::string iconName() const;

private:
    void setupMenu();
    void configureStatusButton();
    void applyDetecting(bool detecting);
    void refreshToggleTitle();
    void updateAppToggleItem();
    AppInfo getCurrentAppInfo();
    bool frontmostIsExcluded() const;
    void later(std::function<void()> work);

    void clicked(ports::MouseButton button, ports::KeyModifiers modifiers) override;
    void menuItemActivated(const std::string& action, int tag) override;
    void availabilityChanged(bool available) override;
    void didActivateApplication(const ports::RunningApplication& app) override;

    settings::SettingsManager& settings_;
    look::OverlayStyle& style_;
    tracking::OverlayController& controller_;
    rules::ExcludedAppsManager& excluded_;
    core::NotificationCenter& center_;
    core::Scheduler& scheduler_;
    ports::StatusItem& statusItem_;
    ports::Workspace& workspace_;
    const ports::AppCatalog& catalog_;
    MenuBarHooks hooks_;

    bool statusItemCreated_ = false;
    bool buttonConfigured_ = false;
    std::optional<ports::MenuModel> menu_;
    bool isDetecting_ = false;
    std::optional<double> lastToggleTime_;
    std::optional<AppInfo> currentAppInfo_;
    std::optional<std::string> lastActiveAppBundleId_;
    std::optional<bool> lastKnownExclusionState_;
    std::vector<core::Observation> observations_;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace quorvel::controls
