#include "sim/sim_status_item.h"

#include <algorithm>

namespace quorvel::sim {

template <typename F>
void SimStatusItem::notify(F&& f) {
    auto snapshot = observers_;
    for (auto* o : snapshot) {
        if (std::find(observers_.begin(), observers_.end(), o) != observers_.end()) f(*o);
    }
}

void SimStatusItem::setIcon(const std::string& name) {
    icon_ = name;
    iconHistory_.push_back(name);
}

void SimStatusItem::showMenu(const ports::MenuModel& menu) {
    shownMenus_.push_back(menu);
}

void SimStatusItem::addObserver(ports::StatusItemEvents& observer) {
    if (std::find(observers_.begin(), observers_.end(), &observer) == observers_.end()) {
        observers_.push_back(&observer);
    }
}

void SimStatusItem::removeObserver(ports::StatusItemEvents& observer) {
    std::erase(observers_, &observer);
}

void SimStatusItem::click(ports::MouseButton button, ports::KeyModifiers modifiers) {
    notify([&](ports::StatusItemEvents& o) { o.clicked(button, modifiers); });
}

bool SimStatusItem::choose(const std::string& action, std::optional<int> tag) {
    if (shownMenus_.empty()) return false;
    for (const auto& item : shownMenus_.back().items) {
        if (item.separator || !item.enabled || item.action != action) continue;
        if (tag && item.tag != *tag) continue;
        notify([&](ports::StatusItemEvents& o) { o.menuItemActivated(item.action, item.tag); });
        return true;
    }
    return false;
}

void SimStatusItem::setAvailable(bool available) {
    available_ = available;
    notify([&](ports::StatusItemEvents& o) { o.availabilityChanged(available); });
}

void SimStatusItem::setGeometry(std::optional<core::Rect> geometry) {
    geometry_ = geometry;
    notify([](ports::StatusItemEvents& o) { o.geometryChanged(); });
}

}  // namespace quorvel::sim
