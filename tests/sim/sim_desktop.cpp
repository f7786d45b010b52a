#include "sim/sim_desktop.h"

#include "sim/sim_veil_window.h"

#include <algorithm>
#include <string>

namespace quorvel::sim {

namespace {

/// How late a compositor's report arrives, when the test asks for that.
constexpr double kReportLag = 0.05;

}  // namespace

SimDesktop::~SimDesktop() {
    for (auto& veil : veils_) veil->abandon();
}

std::vector<SimDesktop::Record>::const_iterator SimDesktop::find(ports::WindowId id) const {
    return std::find_if(order_.begin(), order_.end(), [id](const Record& r) { return r.id == id; });
}

ports::DesktopState SimDesktop::now() const {
    ports::DesktopState state;
    for (const auto& m : monitors_) state.monitors.push_back({m.id, m.frame, m.frame});
    for (const auto& r : order_) {
        if (r.veil) continue;
        state.windows.push_back({r.id, r.spec.frame, r.spec.kind,
                                 r.spec.appId ? r.spec.appId : std::optional(r.spec.app),
                                 r.spec.app, r.spec.fullscreen, r.spec.keepAbove, r.spec.own});
        if (active_ == r.id) state.active = r.id;
    }
    state.overview = overview_;
    state.switchingWorkspace = switching_;
    return state;
}

std::optional<ports::Application> SimDesktop::frontApplication() {
    for (const auto& w : now().windows) {
        if (active_ == w.id) return ports::Application{w.appId, w.appName};
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

void SimDesktop::holdReport() {
    if (!late_ || reported_) return;
    reported_ = now();
    scheduler_.dispatchAfter(kReportLag, [this] {
        reported_.reset();
        report();
    });
}

void SimDesktop::insertInFront(const Record& record) {
    // Keep-above windows stay over the others; within each, the last raised is first.
    auto at = record.spec.keepAbove
                  ? order_.begin()
                  : std::find_if(order_.begin(), order_.end(),
                                 [](const Record& r) { return r.veil || !r.spec.keepAbove; });
    order_.insert(at, record);
}

ports::WindowId SimDesktop::open(const WindowSpec& spec) {
    holdReport();
    insertInFront({spec, ++lastId_, nullptr});
    active_ = lastId_;
    report();
    return lastId_;
}

void SimDesktop::activate(ports::WindowId id) {
    holdReport();
    if (auto it = find(id); it != order_.end()) {
        const Record record = *it;
        order_.erase(it);
        insertInFront(record);
    }
    active_ = id;
    report();
}

void SimDesktop::move(ports::WindowId id, const core::Rect& frame) {
    for (auto& r : order_) {
        if (r.id == id) r.spec.frame = frame;
    }
    report();
}

void SimDesktop::close(ports::WindowId id) {
    std::erase_if(order_, [id](const Record& r) { return r.id == id; });
    if (active_ == id) active_.reset();
    report();
}

ports::MonitorId SimDesktop::addMonitor(const core::Rect& frame) {
    monitors_.push_back({++lastMonitor_, frame});
    report();
    return lastMonitor_;
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
    veilHidden(veil);
    const Record record{WindowSpec{}, veil.id(), &veil};
    if (below) {
        // A window that is gone: the veil is not shown over anything.
        if (auto target = find(*below); target != order_.end()) {
            order_.insert(std::next(target), record);
        }
        return;
    }
    // Covering: above every window but the keep-above ones.
    insertInFront(record);
}

void SimDesktop::veilHidden(SimVeilWindow& veil) {
    std::erase_if(order_, [&](const Record& r) { return r.veil == &veil; });
}

std::vector<ports::WindowId> SimDesktop::stacking() const {
    std::vector<ports::WindowId> ids;
    for (const auto& r : order_) ids.push_back(r.veil ? 0 : r.id);
    return ids;
}

std::string SimDesktop::describeStacking() const {
    std::string line;
    for (const auto& r : order_) {
        line += r.veil ? "[veil:" + std::to_string(r.veil->monitor()) +
                             " a=" + std::to_string(r.veil->alpha()) + "] "
                       : r.spec.app + " ";
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
    const auto target = find(id);
    return target != order_.end() && std::any_of(order_.begin(), target, [&](const Record& r) {
               return r.veil && r.veil->alpha() > 0 &&
                      r.veil->frame().intersects(target->spec.frame);
           });
}

bool SimDesktop::veiledBelow(ports::WindowId id, ports::MonitorId monitor) const {
    const SimVeilWindow* veil = veilOn(monitor);
    auto it = find(id);
    if (!veil || !veil->isShown() || it == order_.end()) return false;
    while (++it != order_.end() && it->veil && it->veil != veil) {
    }
    return it != order_.end() && it->veil == veil;
}

}  // namespace quorvel::sim
