#include "controls/tray_icon.h"

#include "core/log.h"

namespace quorvel::controls {

namespace {

using settings::FocusMode;

ports::MenuItem item(std::string title, const char* action, int tag = 0) {
    return ports::MenuItem{.title = std::move(title), .tag = tag, .action = action};
}

ports::MenuItem modeItem(FocusMode mode, FocusMode current) {
    ports::MenuItem entry = item(std::string(settings::title(mode)), tray_action::mode,
                                 mode == FocusMode::deep ? 1 : 0);
    entry.checkable = true;
    entry.checked = mode == current;
    return entry;
}

}  // namespace

TrayIcon::TrayIcon(focus::FocusSession& session, focus::FrontApplication& front,
                   rules::ExcludedApps& excluded, core::Scheduler& scheduler, ports::Tray& tray,
                   const ports::AppCatalog& catalog, TrayHooks hooks)
    : session_(session),
      front_(front),
      excluded_(excluded),
      scheduler_(scheduler),
      tray_(tray),
      catalog_(catalog),
      hooks_(std::move(hooks)) {
    tray_.show();
    tray_.setToolTip("Quorvel");
    core::log("🪟 Tray icon created");
    for (core::Signal<>* signal : {&session.changed(), &front.changed(), &excluded.changed()}) {
        watches_.push_back(signal->connect([this] { redraw(); }));
    }
    redraw();
    tray_.addObserver(*this);
}

TrayIcon::~TrayIcon() {
    tray_.removeObserver(*this);
}

std::string TrayIcon::iconName() const {
    if (front_.isExcluded()) return "menubar-icon-excluded";
    if (!session_.isOn()) return "menubar-icon-inactive";
    return session_.mode() == FocusMode::ambient ? "menubar-icon-active-ambient"
                                                 : "menubar-icon-active";
}

ports::MenuItem TrayIcon::frontAppItem() const {
    const auto& app = front_.app();
    const bool known = app && app->appId && catalog_.locate(*app->appId);
    const std::string name = known && !app->name.empty() ? app->name : unnamedApp;
    ports::MenuItem entry =
        item((front_.isExcluded() ? "Include " : "Exclude ") + name, tray_action::excludeFront);
    entry.enabled = known;
    if (known) {
        entry.iconName = catalog_.iconForFile(*catalog_.locate(*app->appId));
        entry.iconFaded = front_.isExcluded();
    }
    return entry;
}

void TrayIcon::redraw() {
    const FocusMode mode = session_.mode();
    menu_ = ports::MenuModel{.minimumWidth = menuMinimumWidth, .items = {}};
    auto& items = menu_.items;
    items.push_back(item(session_.isOn() ? "Unfocus" : "Focus", tray_action::toggle));
    items.push_back(frontAppItem());
    items.push_back(ports::MenuItem::makeSeparator());
    items.push_back(modeItem(FocusMode::ambient, mode));
    items.push_back(modeItem(FocusMode::deep, mode));
    items.push_back(ports::MenuItem::makeSeparator());
    items.push_back(item("Settings...", tray_action::settings));
    items.push_back(item("Check for updates", tray_action::checkForUpdates));
    items.push_back(ports::MenuItem::makeSeparator());
    items.push_back(item("Quit", tray_action::quit));
    const std::string icon = iconName();
    if (icon == shownIcon_ || !tray_.isAvailable()) return;
    shownIcon_ = icon;
    tray_.setIcon(icon);
}

void TrayIcon::clicked(ports::MouseButton button, ports::KeyModifiers modifiers) {
    using ports::MouseButton;
    if (button == MouseButton::Middle) return;
    if (button == MouseButton::Right || modifiers.control) return tray_.showMenu(menu_);
    if (modifiers.shift) return session_.switchMode();
    // One toggle per click however the tray host repeats it.
    const double now = scheduler_.now();
    if (lastToggle_ && now - *lastToggle_ < clickDebounce - 1e-9) return;
    lastToggle_ = now;
    session_.toggle();
}

void TrayIcon::menuItemActivated(const std::string& action, int tag) {
    if (action == tray_action::toggle) {
        session_.toggle();
    } else if (action == tray_action::excludeFront) {
        front_.toggleExcluded();
    } else if (action == tray_action::mode) {
        session_.setMode(tag != 0 ? FocusMode::deep : FocusMode::ambient);
    } else if (action == tray_action::settings) {
        if (hooks_.openSettings) hooks_.openSettings();
    } else if (action == tray_action::checkForUpdates) {
        if (hooks_.checkForUpdates) hooks_.checkForUpdates();
    } else if (action == tray_action::quit) {
        if (hooks_.quit) hooks_.quit();
    }
}

void TrayIcon::availabilityChanged(bool available) {
    // A tray host that starts after us shows whatever icon it is handed now.
    if (!available) return;
    shownIcon_.clear();
    redraw();
}

}  // namespace quorvel::controls
