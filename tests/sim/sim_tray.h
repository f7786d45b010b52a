#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ports/tray.h"

namespace quorvel::sim {

/// A tray icon the test clicks and whose icon, hint and menus it reads.
class SimTray final : public ports::Tray {
public:
    void show() override { ++showCount_; }
    bool isAvailable() const override { return available_; }
    void setIcon(const std::string& name) override;
    void setToolTip(const std::string& text) override { toolTip_ = text; }
    void showMenu(const ports::MenuModel& menu) override;
    std::optional<core::Rect> geometry() const override { return geometry_; }
    void addObserver(ports::TrayEvents& observer) override;
    void removeObserver(ports::TrayEvents& observer) override;

    // Control surface.
    void click(ports::MouseButton button, ports::KeyModifiers modifiers = {});
    /// Chooses the first item of the last shown menu with this action (and tag).
    /// False when that menu has no such enabled item.
    bool choose(const std::string& action, std::optional<int> tag = std::nullopt);
    void setAvailable(bool available);
    /// Moves the icon; observers hear of it.
    void setGeometry(std::optional<core::Rect> geometry);

    int showCount() const { return showCount_; }
    /// Empty until an icon is set.
    const std::string& icon() const { return icon_; }
    const std::vector<std::string>& iconHistory() const { return iconHistory_; }
    const std::string& toolTip() const { return toolTip_; }
    const std::vector<ports::MenuModel>& shownMenus() const { return shownMenus_; }
    std::size_t observerCount() const { return observers_.size(); }

private:
    template <typename F>
    void notify(F&& f);

    int showCount_ = 0;
    bool available_ = true;
    std::string icon_;
    std::vector<std::string> iconHistory_;
    std::string toolTip_;
    std::vector<ports::MenuModel> shownMenus_;
    std::optional<core::Rect> geometry_;
    std::vector<ports::TrayEvents*> observers_;
};

}  // namespace quorvel::sim
