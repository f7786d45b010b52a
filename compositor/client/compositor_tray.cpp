#include "compositor/client/compositor_tray.h"

#include <nlohmann/json.hpp>

#include <algorithm>

namespace quorvel::compositor {

namespace {

/// The extension carries the four status icons under their short names.
std::string itemIcon(const std::string& name) {
    const std::string prefix = "menubar-icon-";
    return name.rfind(prefix, 0) == 0 ? name.substr(prefix.size()) : name;
}

ports::MouseButton buttonOf(const std::string& button) {
    if (button == "right") return ports::MouseButton::Right;
    if (button == "middle") return ports::MouseButton::Middle;
    return ports::MouseButton::Left;
}

}  // namespace

CompositorTray::CompositorTray(CompositorClient& client, ports::Tray& statusNotifier)
    : client_(client), statusNotifier_(statusNotifier) {
    statusNotifier_.addObserver(*this);
    connections_.push_back(client_.trayItemClicked().connect(
        [this](const std::string& button, std::uint32_t mods) { itemClicked(button, mods); }));
    connections_.push_back(
        client_.trayMenuItemActivated().connect([this](const std::string& action, int tag) {
            if (onTopBar()) notify([&](auto& o) { o.menuItemActivated(action, tag); });
        }));
    connections_.push_back(client_.changed().connect([this] {
        if (client_.state().trayItem == itemFrame_) return;
        itemFrame_ = client_.state().trayItem;
        if (onTopBar()) notify([](auto& o) { o.geometryChanged(); });
    }));
    // A restarted shell knows no item.
    connections_.push_back(client_.returned().connect([this] {
        sentIcon_.clear();
        sync();
        notify([](auto& o) { o.availabilityChanged(true); });
    }));
    connections_.push_back(client_.left().connect([this] {
        sentIcon_.clear();
        if (onTopBar()) notify([](auto& o) { o.availabilityChanged(false); });
    }));
}

CompositorTray::~CompositorTray() {
    statusNotifier_.removeObserver(*this);
    if (!sentIcon_.empty()) client_.hideTrayItem();
}

void CompositorTray::show() {
    shown_ = true;
    statusNotifier_.show();
    sync();
}

bool CompositorTray::isAvailable() const {
    return statusNotifier_.isAvailable() || client_.available();
}

void CompositorTray::setIcon(const std::string& name) {
    icon_ = name;
    statusNotifier_.setIcon(name);
    sync();
}

void CompositorTray::setToolTip(const std::string& text) {
    toolTip_ = text;
    statusNotifier_.setToolTip(text);
    sync();
}

void CompositorTray::sync() {
    const bool wanted = shown_ && onTopBar() && !icon_.empty();
    if (!wanted) {
        if (!sentIcon_.empty()) client_.hideTrayItem();
        sentIcon_.clear();
        return;
    }
    const std::string icon = itemIcon(icon_);
    if (icon == sentIcon_ && toolTip_ == sentToolTip_) return;
    sentIcon_ = icon;
    sentToolTip_ = toolTip_;
    client_.showTrayItem(icon, toolTip_);
}

std::string CompositorTray::menuJson(const ports::MenuModel& menu) {
    nlohmann::json entries = nlohmann::json::array();
    for (const ports::MenuItem& item : menu.items) {
        if (entries.size() == 32) break;  // as many as the extension takes
        if (item.separator) {
            entries.push_back({{"separator", true}});
            continue;
        }
        nlohmann::json entry = {{"title", item.title.substr(0, 200)},
                                {"action", item.action.substr(0, 64)},
                                {"tag", item.tag},
                                {"enabled", item.enabled},
                                {"checked", item.checkable && item.checked},
                                {"faded", item.iconFaded}};
        // The shell's menus take themed icon names only.
        const bool named =
            !item.iconName.empty() && item.iconName.front() != '/' && item.iconName.size() <= 200;
        entry["icon"] = named ? nlohmann::json(item.iconName) : nlohmann::json(nullptr);
        entries.push_back(std::move(entry));
    }
    return entries.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

void CompositorTray::showMenu(const ports::MenuModel& menu) {
    if (!onTopBar()) return statusNotifier_.showMenu(menu);
    client_.openTrayMenu(menuJson(menu));
}

std::optional<core::Rect> CompositorTray::geometry() const {
    return onTopBar() ? itemFrame_ : statusNotifier_.geometry();
}

void CompositorTray::addObserver(ports::TrayEvents& observer) {
    if (std::find(observers_.begin(), observers_.end(), &observer) == observers_.end())
        observers_.push_back(&observer);
}

void CompositorTray::removeObserver(ports::TrayEvents& observer) {
    std::erase(observers_, &observer);
}

template <typename F>
void CompositorTray::notify(F&& f) {
    // An observer may remove itself while being told.
    const auto observers = observers_;
    for (ports::TrayEvents* o : observers) {
        if (std::find(observers_.begin(), observers_.end(), o) != observers_.end()) f(*o);
    }
}

void CompositorTray::itemClicked(const std::string& button, std::uint32_t mods) {
    if (!onTopBar()) return;
    const ports::KeyModifiers modifiers{.shift = (mods & 1u) != 0,
                                        .control = (mods & 2u) != 0,
                                        .alt = (mods & 4u) != 0,
                                        .super = (mods & 8u) != 0};
    notify([&](auto& o) { o.clicked(buttonOf(button), modifiers); });
}

void CompositorTray::clicked(ports::MouseButton button, ports::KeyModifiers modifiers) {
    if (!onTopBar()) notify([&](auto& o) { o.clicked(button, modifiers); });
}

void CompositorTray::menuItemActivated(const std::string& action, int tag) {
    if (!onTopBar()) notify([&](auto& o) { o.menuItemActivated(action, tag); });
}

void CompositorTray::availabilityChanged(bool) {
    // A StatusNotifier host came or went: the icon moves between it and the
    // top bar, and is drawn anew wherever it is now.
    sync();
    notify([](auto& o) { o.availabilityChanged(true); });
}

void CompositorTray::geometryChanged() {
    if (!onTopBar()) notify([](auto& o) { o.geometryChanged(); });
}

}  // namespace quorvel::compositor
