#include "app/remote_control.h"

#include "app/app_context.h"
#include "controls/menu_bar_item.h"
#include "settings/notification_names.h"

namespace quorvel::app {

namespace names = settings::notifications;

RemoteControl::RemoteControl(AppContext& context) : context_(context) {
    last_ = state();
    // Everything that moves the state posts one of these, whichever surface
    // asked for it.
    for (const char* name : {names::detectionStateDidChange, names::focusModeDidChange,
                             names::excludedAppsDidChange}) {
        observations_.emplace_back(context_.notificationCenter(), name,
                                   [this](const core::Notification&) { refresh(); });
    }
    context_.ports().workspace.addObserver(*this);
}

RemoteControl::~RemoteControl() {
    context_.ports().workspace.removeObserver(*this);
}

void RemoteControl::toggle() {
    context_.menuBarItem().toggleOverlay();
}

void RemoteControl::setFocus(bool enabled) {
    if (context_.menuBarItem().isDetecting() != enabled) {
        context_.menuBarItem().setDetecting(enabled);
    }
}

bool RemoteControl::setMode(std::string_view mode) {
    const auto parsed = settings::parseFocusMode(mode);
    if (!parsed) return false;
    context_.menuBarItem().focusModeSelected(*parsed == settings::FocusMode::deep ? 1 : 0);
    return true;
}

bool RemoteControl::excludeFrontmost() {
    return setFrontmostExcluded(true);
}

bool RemoteControl::includeFrontmost() {
    return setFrontmostExcluded(false);
}

bool RemoteControl::setFrontmostExcluded(bool excluded) {
    const auto app = context_.ports().workspace.frontmostApplication();
    if (!app || !app->bundleId) return false;
    if (state().excluded != excluded) context_.menuBarItem().toggleForCurrentApp();
    return state().excluded == excluded;
}

void RemoteControl::openSettings() {
    context_.menuBarItem().openSettings();
}

RemoteState RemoteControl::state() const {
    RemoteState s;
    s.focusEnabled = context_.menuBarItem().isDetecting();
    s.mode = std::string(settings::rawValue(context_.overlayStyle().focusMode()));
    const auto app = context_.ports().workspace.frontmostApplication();
    s.excluded = app && context_.excludedAppsManager().isExcluded(app->bundleId);
    return s;
}

void RemoteControl::refresh() {
    const RemoteState now = state();
    if (last_ && *last_ == now) return;
    const RemoteState before = last_.value_or(now);
    last_ = now;
    if (handler_) handler_(now, before);
}

void RemoteControl::didActivateApplication(const ports::RunningApplication&) {
    refresh();
}

}  // namespace quorvel::app
