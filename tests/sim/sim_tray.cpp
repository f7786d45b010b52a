#include "sim/sim_tray.h"

#include <algorithm>

namespace quorvel::sim {

template <typename F>
void SimTray::notify(F&& f) {
    auto snapshot = observers_;
    for (auto* o : snapshot) {
        if (std::find(observers_.begin(), observers_.end(), o) != observers_.end()) f(*o);
    }
}

void SimTray::setIcon(const std::string& name) {
    icon_ = name;
    iconHistory_.push_back(name);
}

void SimTray::showMenu(const ports::MenuModel& menu) {
    shownMenus_.push_back(menu);
}

void SimTray::addObserver(ports::TrayEvents& observer) {
    if (std::find(observers_.begin(), observers_.end(), &observer) == observers_.end()) {
        observers_.push_back(&observer);
    }
}

void SimTray::removeObserver(ports::TrayEvents& observer) {
    std::erase(observers_, &observer);
}

void SimTray::click(ports::MouseButton button, ports::KeyModifiers modifiers) {
    notify([&](ports::TrayEvents& o) { o.clicked(button, modifiers); });
}

bool SimTray::choose(const std::string& action, std::optional<int> tag) {
    if (shownMenus_.empty()) return false;
    for (const auto& item : shownMenus_.back().items) {
        if (item.separator || !item.enabled || item.action != action) continue;
        if (tag && item.tag != *tag) continue;
        notify([&](ports::TrayEvents& o) { o.menuItemActivated(item.action, item.tag); });
        return true;
    }
    return false;
}

void SimTray::setAvailable(bool available) {
    available_ = available;
    notify([&](ports::TrayEvents& o) { o.availabilityChanged(available); });
}

void SimTray::setGeometry(std::optional<core::Rect> geometry) {
    geometry_ = geometry;
    notify([](ports::TrayEvents& o) { o.geometryChanged(); });
}

}  // namespace quorvel::sim
