#include "tracking/veil_controller.h"

#include <algorithm>

#include "core/log.h"
#include "tracking/front_windows.h"

namespace quorvel::tracking {

VeilController::VeilController(VeilControllerPorts ports, settings::Settings& settings,
                               focus::FrontApplication& front)
    : ports_(ports), settings_(settings), front_(front), fades_(settings) {
    watches_.push_back(ports_.desktop.changed().connect([this] { updateLater(); }));
    watches_.push_back(front_.changed().connect([this] { updateLater(); }));
    watches_.push_back(settings_.singleMode.changed().connect([this] { updateLater(); }));
}

VeilController::~VeilController() {
    watches_.clear();
    for (auto& [monitor, veil] : veils_) veil->close();
}

void VeilController::start() {
    if (running_) return;
    running_ = true;
    knownMonitors_.clear();
    for (const auto& m : ports_.desktop.state().monitors) knownMonitors_[m.id] = m.frame;
    // Common mode: the veil keeps following while a menu is open.
    ticks_ = ports_.scheduler.repeating(kInterval, core::TimerMode::Common, [this] { update(); });
    update();
}

void VeilController::stop() {
    if (!running_) return;
    running_ = false;
    ticks_.cancel();
    soon_.cancel();
    monitorSettle_.cancel();
    waitingForMonitors_ = false;
    removeAll();
}

void VeilController::updateLater() {
    if (!running_ || soon_.isActive()) return;
    const double wait = std::max(0.0, lastUpdate_ + kMinimumChangeSpacing - ports_.scheduler.now());
    soon_ = ports_.scheduler.after(wait, core::TimerMode::Common, [this] { update(); });
}

void VeilController::update() {
    if (!running_) return;
    soon_.cancel();
    lastUpdate_ = ports_.scheduler.now();
    const ports::DesktopState state = ports_.desktop.state();
    if (front_.isExcluded()) return removeAll();
    if (monitorsChanged(state)) return waitForMonitors();
    if (waitingForMonitors_) return;
    noteOverview(state.overview);
    if (state.overview || state.switchingWorkspace) return removeAll();

    std::vector<ports::MonitorId> gone;
    for (const auto& [id, veil] : veils_) {
        if (!knownMonitors_.count(id)) gone.push_back(id);
    }
    for (auto id : gone) remove(id);
    const auto single =
        settings_.singleMode.get() ? pointerMonitor(state, ports_.desktop.pointer()) : std::nullopt;
    for (const auto& monitor : state.monitors) place(monitor, state, single);
}

void VeilController::place(const ports::Monitor& monitor, const ports::DesktopState& state,
                           const std::optional<ports::Monitor>& single) {
    const auto front = frontWindowOn(monitor, state);
    if (!front || fillsMonitor(*front, monitor)) {
        // Nobody sees a veil under a fullscreen window; without one the
        // compositor can unredirect it.
        return remove(monitor.id);
    }
    auto it = veils_.find(monitor.id);
    if (it == veils_.end()) {
        auto veil = ports_.veils.create(monitor);
        fades_.fadeIn(*veil);
        it = veils_.emplace(monitor.id, std::move(veil)).first;
    }
    ports::VeilWindow& veil = *it->second;
    veil.setFrame(monitor.frame);
    if (single && single->id != monitor.id) {
        veil.cover();
    } else {
        veil.placeBelow(front->id);
    }
}

void VeilController::remove(ports::MonitorId monitor) {
    auto it = veils_.find(monitor);
    if (it == veils_.end()) return;
    // Out of the table first: a veil fading out is never used again.
    std::shared_ptr<ports::VeilWindow> veil = std::move(it->second);
    veils_.erase(it);
    ports::VeilWindow& fading = *veil;
    fades_.fadeOut(fading, [veil] {
        veil->hide();
        veil->close();
    });
}

void VeilController::removeAll() {
    while (!veils_.empty()) remove(veils_.begin()->first);
}

bool VeilController::monitorsChanged(const ports::DesktopState& state) {
    std::map<ports::MonitorId, core::Rect> now;
    for (const auto& m : state.monitors) now[m.id] = m.frame;
    if (now == knownMonitors_) return false;
    knownMonitors_ = std::move(now);
    return true;
}

void VeilController::waitForMonitors() {
    core::log("🖥️ The monitors changed: the veils come back when they settle");
    waitingForMonitors_ = true;
    removeAll();
    // Every change restarts the wait.
    monitorSettle_ = ports_.scheduler.after(kMonitorSettle, core::TimerMode::Default, [this] {
        waitingForMonitors_ = false;
        update();
    });
}

void VeilController::noteOverview(bool showing) {
    if (showing == overviewShown_) return;
    overviewShown_ = showing;
    core::log(showing ? "🚀 The overview shows: the veils step aside"
                      : "🛬 The overview is gone: the veils come back");
}

}  // namespace quorvel::tracking
