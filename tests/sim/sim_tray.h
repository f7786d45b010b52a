#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/observer_list.h"
#include "ports/tray.h"

namespace quorvel::sim {

/// A tray icon the test clicks and whose icon and menus it reads.
class SimTray final : public ports::Tray {
public:
    void show() override {}
    bool isAvailable() const override { return true; }
    void setIcon(const std::string& name) override { icon_ = name; }
    void setToolTip(const std::string&) override {}
    void showMenu(const ports::MenuModel& menu) override { shownMenus_.push_back(menu); }
    std::optional<core::Rect> geometry() const override { return geometry_; }
    void addObserver(ports::TrayEvents& observer) override { observers_.add(observer); }
    void removeObserver(ports::TrayEvents& observer) override { observers_.remove(observer); }

    void click(ports::MouseButton button, ports::KeyModifiers modifiers = {}) {
        observers_.notify([&](ports::TrayEvents& o) { o.clicked(button, modifiers); });
    }
    /// Chooses the first item of the last shown menu with this action (and tag).
    /// False when that menu has no such enabled item.
    bool choose(const std::string& action, std::optional<int> tag = std::nullopt) {
        for (const auto& item : shownMenus_.back().items) {
            if (!item.enabled || item.action != action || (tag && item.tag != *tag)) continue;
            observers_.notify([&](ports::TrayEvents& o) { o.menuItemActivated(action, item.tag); });
            return true;
        }
        return false;
    }
    /// Moves the icon; observers hear of it.
    void setGeometry(std::optional<core::Rect> geometry) {
        geometry_ = geometry;
        observers_.notify([](ports::TrayEvents& o) { o.geometryChanged(); });
    }

    /// Empty until an icon is set.
    const std::string& icon() const { return icon_; }
    const std::vector<ports::MenuModel>& shownMenus() const { return shownMenus_; }

private:
    std::string icon_;
    std::vector<ports::MenuModel> shownMenus_;
    std::optional<core::Rect> geometry_;
    core::ObserverList<ports::TrayEvents> observers_;
};

}  // namespace quorvel::sim
