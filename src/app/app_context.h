#pragma once

#include <filesystem>
#include <memory>
#include <utility>
#include <vector>

#include "app/desktop_ports.h"
#include "core/notification_center.h"
#include "core/preference_store.h"
#include "core/scheduler.h"
#include "look/overlay_style.h"
#include "rules/excluded_apps_manager.h"
#include "settings/settings_manager.h"
#include "tracking/overlay_controller.h"
#include "tracking/window_poller.h"

namespace quorvel::controls {
class MenuBarItem;
class HotKeyManager;
class TooltipWindow;
}  // namespace quorvel::controls
namespace quorvel::rules {
class SystemUIManager;
}
namespace quorvel::settings_window {
struct SettingsWindowServices;
}
namespace quorvel::services {
class UpdateManager;
class LaunchAtLoginManager;
}  // namespace quorvel::services

namespace quorvel::app {

/// The long-lived objects of one application. Each is made on first access
/// (so the order of first accesses is the order of creation) and they are
/// destroyed in the reverse order. Nothing here is global: tests build a
/// fresh context each.
class AppContext {
public:
    static constexpr const char* kSettingsFileName = "com.quorvel.settings.json";
    static constexpr const char* kStandardFileName = "quorvel.json";

    /// An empty `configDir` keeps both stores in memory only.
    AppContext(DesktopPorts ports, std::filesystem::path configDir = {});
    ~AppContext();
    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

    const DesktopPorts& ports() const { return ports_; }
    core::NotificationCenter& notificationCenter() { return notificationCenter_; }

    /// The settings suite, `configDir`/com.quorvel.settings.json.
    core::PreferenceStore& settingsStore();
    /// The standard store, `configDir`/quorvel.json ("tracked_window_ids", ...).
    core::PreferenceStore& standardStore();
    settings::SettingsManager& settingsManager();
    look::OverlayStyle& overlayStyle();
    rules::ExcludedAppsManager& excludedAppsManager();
    tracking::WindowPoller& windowPoller();
    tracking::OverlayController& overlayController();
    controls::MenuBarItem& menuBarItem();
    controls::HotKeyManager& hotKeyManager();
    controls::TooltipWindow& tooltipWindow();
    rules::SystemUIManager& systemUIManager();
    services::UpdateManager& updateManager();
    services::LaunchAtLoginManager& launchAtLoginManager();

    /// Whether the tray item exists yet (it starts focus when it is made).
    bool hasMenuBarItem() const { return menuBarItem_ != nullptr; }
    bool hasSystemUIManager() const { return systemUIManager_ != nullptr; }
    ApplicationHooks& applicationHooks() { return applicationHooks_; }
    /// What the settings window reads and drives, reaching the other
    /// subsystems through this context (made on the window's first use).
    settings_window::SettingsWindowServices makeSettingsWindowServices();

    /// Calls into later subsystems (auto-hide, the status item); see FocusHooks.
    rules::FocusHooks& focusHooks() { return focusHooks_; }

private:
    /// Makes the object in `slot` on first access with `make` and records it
    /// for destruction in reverse order.
    template <typename T, typename Make>
    T& lazy(T*& slot, Make make) {
        if (!slot) {
            std::unique_ptr<T> object = make();
            slot = object.get();
            owned_.push_back(Owned(object.release(), [](void* p) { delete static_cast<T*>(p); }));
        }
        return *slot;
    }
    std::unique_ptr<core::PreferenceStore> makeStore(const char* fileName);

    using Owned = std::unique_ptr<void, void (*)(void*)>;

    DesktopPorts ports_;
    std::filesystem::path configDir_;
    core::NotificationCenter notificationCenter_;
    rules::FocusHooks focusHooks_;
    ApplicationHooks applicationHooks_;
    std::vector<Owned> owned_;

    core::PreferenceStore* settingsStore_ = nullptr;
    core::PreferenceStore* standardStore_ = nullptr;
    settings::SettingsManager* settingsManager_ = nullptr;
    look::OverlayStyle* overlayStyle_ = nullptr;
    rules::ExcludedAppsManager* excludedAppsManager_ = nullptr;
    tracking::WindowPoller* windowPoller_ = nullptr;
    tracking::OverlayController* overlayController_ = nullptr;
    controls::MenuBarItem* menuBarItem_ = nullptr;
    controls::HotKeyManager* hotKeyManager_ = nullptr;
    controls::TooltipWindow* tooltipWindow_ = nullptr;
    rules::SystemUIManager* systemUIManager_ = nullptr;
    services::UpdateManager* updateManager_ = nullptr;
    services::LaunchAtLoginManager* launchAtLoginManager_ = nullptr;
};

}  // namespace quorvel::app
