#include "sim/sim_desktop.h"

#include <algorithm>
#include <cstdio>

namespace quorvel::sim {

namespace {

/// How late a compositor's report arrives, when the test asks for that.
constexpr double kReportLag = 0.05;

}  // namespace

SimDesktop::~SimDesktop() {
    for (auto& veil : veils_) veil->abandon();
}

std::vector<SimDesktop::Record>::iterator SimDesktop::find(ports::WindowId id) {
    return std::find_if(order_.begin(), order_.end(), [id](const Record& r) { return r.id == id; });
}

ports::DesktopState SimDesktop::now() const {
    ports::DesktopState state;
    for (const auto& m : monitors_) state.monitors.push_back({m.id, m.frame, m.frame});
    for (const auto& r : order_) {
        if (r.veil || r.minimized) continue;
        state.windows.push_back({r.id, r.spec.frame, r.spec.kind,
                                 r.spec.appId ? r.spec.appId : std::optional(r.spec.app),
                                 r.spec.app, r.spec.fullscreen, r.spec.keepAbove, r.spec.own});
        if (active_ == r.id) state.active = r.id;
    }
    state.overview = overview_;
    state.switchingWorkspace = switching_;
    return state;
}

ports::DesktopState SimDesktop::state() {
    return reported_ ? *reported_ : now();
}

std::optional<ports::Application> SimDesktop::frontApplication() {
    const auto state = now();
    for (const auto& w : state.windows) {
        if (state.active == w.id) return ports::Application{w.appId, w.appName};
    }
    return std::nullopt;
}

std::vector<ports::Application> SimDesktop::runningApplications() {
    std::vector<ports::Application> apps;
    for (const auto& w : now().windows) {
        ports::Application app{w.appId, w.appName};
        if (std::find(apps.begin(), apps.end(), app) == apps.end()) apps.push_back(app);
    }
    return apps;
}

void SimDesktop::report() {
    changed_.emit();
}

void SimDesktop::holdReport() {
    if (!late_ || reported_) return;
    reported_ = now();
    scheduler_.dispatchAfter(kReportLag, [this] {
        reported_.reset();
        report();
    });
}

ports::WindowId SimDesktop::open(const WindowSpec& spec) {
    holdReport();
    const ports::WindowId id = ++lastId_;
    order_.insert(order_.begin(), Record{spec, id, false, nullptr});
    raise(id);
    active_ = id;
    report();
    return id;
}

void SimDesktop::raise(ports::WindowId id) {
    auto it = find(id);
    if (it == order_.end()) return;
    Record record = *it;
    order_.erase(it);
    // Keep-above windows stay over the others; within each, the last raised is first.
    auto at = record.spec.keepAbove
                  ? order_.begin()
                  : std::find_if(order_.begin(), order_.end(), [](const Record& r) {
                        return r.veil || !r.spec.keepAbove || r.minimized;
                    });
    order_.insert(at, record);
}

void SimDesktop::activate(ports::WindowId id) {
    holdReport();
    raise(id);
    active_ = id;
    report();
}

void SimDesktop::focus(ports::WindowId id) {
    active_ = id;
    report();
}

void SimDesktop::move(ports::WindowId id, const core::Rect& frame) {
    if (auto it = find(id); it != order_.end()) it->spec.frame = frame;
    report();
}

void SimDesktop::close(ports::WindowId id) {
    if (auto it = find(id); it != order_.end()) order_.erase(it);
    if (active_ == id) active_.reset();
    report();
}

void SimDesktop::setMinimized(ports::WindowId id, bool minimized) {
    if (auto it = find(id); it != order_.end()) it->minimized = minimized;
    if (minimized && active_ == id) active_.reset();
    report();
}

void SimDesktop::setFullscreen(ports::WindowId id, bool fullscreen) {
    if (auto it = find(id); it != order_.end()) it->spec.fullscreen = fullscreen;
    report();
}

ports::MonitorId SimDesktop::addMonitor(const core::Rect& frame) {
    monitors_.push_back({++lastMonitor_, frame});
    report();
    return lastMonitor_;
}

void SimDesktop::removeMonitor(ports::MonitorId id) {
    std::erase_if(monitors_, [id](const Screen& m) { return m.id == id; });
    report();
}

void SimDesktop::setMonitorFrame(ports::MonitorId id, const core::Rect& frame) {
    for (auto& m : monitors_) {
        if (m.id == id) m.frame = frame;
    }
    report();
}

void SimDesktop::setOverview(bool showing) {
    overview_ = showing;
    report();
}

void SimDesktop::setSwitchingWorkspace(bool switching) {
    switching_ = switching;
    report();
}

std::shared_ptr<ports::VeilWindow> SimDesktop::create(const ports::Monitor& monitor) {
    auto veil = std::make_shared<SimVeilWindow>(*this, scheduler_, ++lastId_, monitor);
    veils_.push_back(veil);
    return veil;
}

void SimDesktop::veilPlaced(SimVeilWindow& veil, std::optional<ports::WindowId> below) {
    Record record{WindowSpec{}, veil.id(), false, &veil};
    if (auto it = find(veil.id()); it != order_.end()) order_.erase(it);
    if (below) {
        auto target = find(*below);
        if (target == order_.end()) return;  // gone: the veil is not shown over anything
        order_.insert(std::next(target), record);
        return;
    }
    // Covering: above every window but the keep-above ones.
    auto at = std::find_if(order_.begin(), order_.end(), [](const Record& r) {
        return r.veil || !r.spec.keepAbove || r.minimized;
    });
    order_.insert(at, record);
}

void SimDesktop::veilHidden(SimVeilWindow& veil) {
    if (auto it = find(veil.id()); it != order_.end()) order_.erase(it);
}

std::vector<StackEntry> SimDesktop::stacking() const {
    std::vector<StackEntry> result;
    for (const auto& r : order_) {
        if (r.minimized) continue;
        result.push_back({r.id, r.veil ? std::string() : r.spec.app, r.veil != nullptr,
                          r.veil ? r.veil->alpha() : 1.0});
    }
    return result;
}

std::string SimDesktop::describeStacking() const {
    std::string line;
    for (const auto& r : order_) {
        if (r.minimized) continue;
        if (!line.empty()) line += ' ';
        if (!r.veil) {
            line += r.spec.app;
            continue;
        }
        char text[48];
        std::snprintf(text, sizeof text, "[veil:%u a=%.2f]", r.veil->monitor(), r.veil->alpha());
        line += text;
    }
    return line;
}

SimVeilWindow* SimDesktop::veilOn(ports::MonitorId monitor) const {
    for (auto it = veils_.rbegin(); it != veils_.rend(); ++it) {
        if ((*it)->monitor() == monitor && !(*it)->isClosed()) return it->get();
    }
    return nullptr;
}

std::size_t SimDesktop::shownVeils() const {
    return std::count_if(veils_.begin(), veils_.end(), [](const auto& v) {
        return v->isShown() && !v->isClosed() && v->targetAlpha() > 0;
    });
}

bool SimDesktop::isCovered(ports::WindowId id) const {
    const auto target =
        std::find_if(order_.begin(), order_.end(), [id](const Record& r) { return r.id == id; });
    if (target == order_.end()) return false;
    return std::any_of(order_.begin(), target, [&](const Record& r) {
        return r.veil && r.veil->alpha() > 0 && r.veil->frame().intersects(target->spec.frame);
    });
}

std::optional<ports::WindowId> SimDesktop::windowBelow(ports::WindowId id) const {
    auto it =
        std::find_if(order_.begin(), order_.end(), [id](const Record& r) { return r.id == id; });
    while (it != order_.end() && ++it != order_.end()) {
        if (!it->minimized) return it->id;
    }
    return std::nullopt;
}

}  // namespace quorvel::sim
