#include "services/launch_at_login_manager.h"

#include <string>

#include "core/log.h"

namespace quorvel::services {

LaunchAtLoginManager::LaunchAtLoginManager(ports::LoginItems& loginItems)
    : loginItems_(loginItems),
      isEnabled_(loginItems.status() == ports::LoginItemStatus::Enabled) {}

void LaunchAtLoginManager::setEnabled(bool enabled) {
    const auto error = enabled ? loginItems_.registerMainApp() : loginItems_.unregisterMainApp();
    if (error) {
        core::log(std::string("Failed to ") + (enabled ? "enable" : "disable") +
                  " launch at login: " + *error);
        return;
    }
    refresh();
}

void LaunchAtLoginManager::refresh() {
    assign(loginItems_.status() == ports::LoginItemStatus::Enabled);
}

void LaunchAtLoginManager::assign(bool enabled) {
    if (isEnabled_ == enabled) return;
    isEnabled_ = enabled;
    isEnabledChanged.emit(enabled);
}

}  // namespace quorvel::services
