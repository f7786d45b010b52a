#include "services/autostart.h"

#include <string>

#include "core/log.h"

namespace quorvel::services {

Autostart::Autostart(ports::AutostartEntry& entry) : entry_(entry), isEnabled_(entry.isEnabled()) {}

void Autostart::setEnabled(bool enabled) {
    const auto error = enabled ? entry_.enable() : entry_.disable();
    if (error) {
        core::log(std::string("⚠️ Could not ") + (enabled ? "enable" : "disable") +
                  " autostart: " + *error);
        return;
    }
    refresh();
}

void Autostart::refresh() {
    isEnabled_ = entry_.isEnabled();
}

}  // namespace quorvel::services
