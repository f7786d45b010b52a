#include "controls/menu_bar_item.h"

#include "core/log.h"
#include "look/overlay_style.h"
#include "rules/excluded_apps_manager.h"
#include "settings/settings_manager.h"
#include "tracking/overlay_controller.h"

namespace quorvel::controls {

namespace {

namespace names = settings::notifications;
using settings::FocusMode;

constexpr std::size_t kToggleItem = 0;
constexpr std::size_t kAppToggleItem = 1;

ports::MenuItem actionItem(std::string title, const char* action, int tag = 0) {
    return ports::MenuItem{.title = std::move(title), .tag = tag, .action = action};
}

}  // namespace

MenuBarItem::MenuBarItem(settings::SettingsManager& settings, look::OverlayStyle& style,
                         tracking::OverlayController& controller,
                         rules::ExcludedAppsManager& excluded, core::NotificationCenter& center,
                         core::Scheduler& scheduler, ports::StatusItem& statusItem,
                         ports::Workspace& workspace, const ports::AppCatalog& catalog,
                         MenuBarHooks hooks)
    : settings_(settings),
      style_(style),
      controller_(controller),
      excluded_(excluded),
      center_(center),
      scheduler_(scheduler),
      statusItem_(statusItem),
      workspace_(workspace),
      catalog_(catalog),
      hooks_(std::move(hooks)) {
    isDetecting_ = settings_.defaults().boolForKey(settings::keys::isOverlayEnabled);
    if (isDetecting_) controller_.startMonitoring();
    later([this] { setupMenu(); });
    observations_.emplace_back(center_, names::focusModeDidChange,
                               [this](const core::Notification&) { updateIcon(); });
    observations_.emplace_back(center_, names::shortcutDidChange,
                               [this](const core::Notification&) { refreshToggleTitle(); });
    workspace_.addObserver(*this);
}

MenuBarItem::~MenuBarItem() {
    workspace_.removeObserver(*this);
    if (buttonConfigured_) statusItem_.removeObserver(*this);
}

ports::StatusItem& MenuBarItem::statusItem() {
    if (!statusItemCreated_) {
        statusItemCreated_ = true;
        statusItem_.show();
        statusItem_.setToolTip("Quorvel");
        core::log("🪟 Status item created");
    }
    return statusItem_;
}

void MenuBarItem::later(std::function<void()> work) {
    std::weak_ptr<int> alive = alive_;
    scheduler_.async([alive, work = std::move(work)] {
        if (alive.lock()) work();
    });
}

void MenuBarItem::setupMenu() {
    updateIcon();
    menu_ = ports::MenuModel{.minimumWidth = menuMinimumWidth, .items = {}};
    auto& items = menu_->items;
    items.push_back(actionItem("", menu_action::toggleOverlay));
    refreshToggleTitle();
    items.push_back(actionItem("", menu_action::toggleForCurrentApp));
    updateAppToggleItem();
    items.push_back(ports::MenuItem::makeSeparator());
    items.push_back(actionItem("Ambient", menu_action::focusModeSelected, 0));
    items.push_back(actionItem("Deep", menu_action::focusModeSelected, 1));
    items.push_back(ports::MenuItem::makeSeparator());
    updateModeItems(style_.focusMode());
    items.push_back(ports::MenuItem::makeSeparator());
    items.push_back(actionItem("Settings...", menu_action::openSettings));
    items.push_back(actionItem("Check for updates", menu_action::checkForUpdates));
    items.push_back(ports::MenuItem::makeSeparator());
    items.push_back(actionItem("Quit", menu_action::terminate));
    later([this] { configureStatusButton(); });
}

void MenuBarItem::configureStatusButton() {
    if (buttonConfigured_) return;
    statusItem().addObserver(*this);
    buttonConfigured_ = true;
}

void MenuBarItem::clicked(ports::MouseButton button, ports::KeyModifiers modifiers) {
    handleStatusItemClick(button, modifiers);
}

void MenuBarItem::handleStatusItemClick(ports::MouseButton button,
                                        ports::KeyModifiers modifiers) {
    using ports::MouseButton;
    if (button == MouseButton::Middle) return;
    if (button == MouseButton::Right || modifiers.control) {
        if (!menu_) {
            core::log("🪟 Menu not yet initialized, ignoring right-click");
            return;
        }
        statusItem().showMenu(*menu_);
        return;
    }
    if (modifiers.shift) {
        if (!settings_.defaults().boolForKey(settings::keys::isOverlayEnabled)) return;
        const FocusMode next =
            style_.focusMode() == FocusMode::ambient ? FocusMode::deep : FocusMode::ambient;
        settings_.setFocusMode(next);
        style_.setFocusMode(next);
        updateModeItems(next);
        return;
    }
    const double now = scheduler_.now();
    if (lastToggleTime_ && now - *lastToggleTime_ < clickDebounce - 1e-9) return;
    lastToggleTime_ = now;
    setDetecting(!isDetecting_);
}

void MenuBarItem::menuItemActivated(const std::string& action, int tag) {
    if (action == menu_action::toggleOverlay) {
        toggleOverlay();
    } else if (action == menu_action::toggleForCurrentApp) {
        toggleForCurrentApp();
    } else if (action == menu_action::focusModeSelected) {
        focusModeSelected(tag);
    } else if (action == menu_action::openSettings) {
        openSettings();
    } else if (action == menu_action::checkForUpdates) {
        checkForUpdates();
    } else if (action == menu_action::terminate) {
        if (hooks_.quit) hooks_.quit();
    }
}

void MenuBarItem::availabilityChanged(bool available) {
    // A tray host that starts after us shows whatever icon it is handed now.
    if (available) updateIcon();
}

void MenuBarItem::setDetecting(bool detecting) {
    later([this, detecting] { applyDetecting(detecting); });
}

void MenuBarItem::applyDetecting(bool detecting) {
    isDetecting_ = detecting;
    updateIcon();
    refreshToggleTitle();
    center_.post(names::detectionStateDidChange);
    settings_.setOverlayEnabled(detecting);
    if (!detecting) {
        controller_.stopMonitoring();
    } else if (!controller_.isMonitoring()) {
        controller_.startMonitoring();
    }
}

void MenuBarItem::refreshToggleTitle() {
    if (menu_ && menu_->items.size() > kToggleItem) {
        menu_->items[kToggleItem].title = isDetecting_ ? "Unfocus" : "Focus";
    }
}

void MenuBarItem::focusModeSelected(int tag) {
    const FocusMode mode = tag != 0 ? FocusMode::deep : FocusMode::ambient;
    settings_.setFocusMode(mode);
    style_.setFocusMode(mode);
    updateModeItems(mode);
}

void MenuBarItem::openSettings() {
    if (hooks_.openSettings) hooks_.openSettings();
}

void MenuBarItem::checkForUpdates() {
    if (hooks_.checkForUpdates) hooks_.checkForUpdates();
}

void MenuBarItem::updateModeItems(FocusMode mode) {
    if (!menu_) return;
    const int selected = mode == FocusMode::deep ? 1 : 0;
    for (auto& item : menu_->items) {
        if (item.action != menu_action::focusModeSelected) continue;
        const char* prefix = item.tag == selected ? " \u2713   " : "       ";
        item.title = std::string(prefix) + (item.tag != 0 ? "Deep" : "Ambient");
    }
}

bool MenuBarItem::frontmostIsExcluded() const {
    const auto app = workspace_.frontmostApplication();
    return app && settings::isExcluded(excluded_.excludedApps(), app->bundleId);
}

std::string MenuBarItem::iconName() const {
    if (frontmostIsExcluded()) return "menubar-icon-excluded";
    if (!isDetecting_) return "menubar-icon-inactive";
    return style_.focusMode() == FocusMode::ambient ? "menubar-icon-active-ambient"
                                                    : "menubar-icon-active";
}

void MenuBarItem::updateIcon() {
    if (!statusItem().isAvailable()) {
        core::log("⚠️ Cannot update icon - status item button not available");
        return;
    }
    later([this] { statusItem_.setIcon(iconName()); });
}

void MenuBarItem::toggleForCurrentApp() {
    const auto app = workspace_.frontmostApplication();
    if (!app || !app->bundleId) return;
    const auto location = catalog_.locate(*app->bundleId);
    if (!location) return;
    if (settings::isExcluded(excluded_.excludedApps(), app->bundleId)) {
        excluded_.removeApp(*app->bundleId);
    } else if (auto entry = settings::ExcludedApp::fromLocation(*location, catalog_)) {
        excluded_.addApp(*entry);
    }
    updateAppToggleItem();
}

MenuBarItem::AppInfo MenuBarItem::getCurrentAppInfo() {
    const auto app = workspace_.frontmostApplication();
    if (app && app->bundleId && currentAppInfo_ && app->bundleId == lastActiveAppBundleId_) {
        return *currentAppInfo_;
    }
    const AppInfo fallback{defaultAppName, "", std::nullopt};
    if (!app || !app->bundleId) return fallback;
    const auto location = catalog_.locate(*app->bundleId);
    if (!location) return fallback;
    AppInfo info{app->name.empty() ? defaultAppName : app->name, catalog_.iconForFile(*location),
                 app->bundleId};
    currentAppInfo_ = info;
    lastActiveAppBundleId_ = app->bundleId;
    return info;
}

void MenuBarItem::updateAppToggleItem() {
    const AppInfo info = getCurrentAppInfo();
    const bool excluded = settings::isExcluded(excluded_.excludedApps(), info.bundleId);
    if (!menu_ || menu_->items.size() <= kAppToggleItem) return;
    auto& item = menu_->items[kAppToggleItem];
    item.title = std::string(excluded ? includeTitle : excludeTitle) + info.name;
    if (info.icon.empty()) return;  // keep whatever image the item had
    item.iconName = info.icon;
    item.iconFaded = excluded;
}

void MenuBarItem::didActivateApplication(const ports::RunningApplication&) {
    later([this] { handleActiveAppChange(); });
}

void MenuBarItem::handleActiveAppChange() {
    updateAppToggleItem();
    updateIcon();
    const auto app = workspace_.frontmostApplication();
    if (!app || !app->bundleId) return;
    const bool excluded = settings::isExcluded(excluded_.excludedApps(), app->bundleId);
    if (lastKnownExclusionState_ == excluded) return;
    lastKnownExclusionState_ = excluded;
    if (!hooks_.updateAutoHide) return;
    if (excluded) {
        hooks_.updateAutoHide(false);
    } else if (isDetecting_) {
        hooks_.updateAutoHide(true);
    }
}

}  // namespace quorvel::controls
