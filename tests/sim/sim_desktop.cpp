#include "sim/sim_desktop.h"

#include <algorithm>
#include <cstdio>

namespace quorvel::sim {

SimDesktop::SimDesktop(core::Scheduler& scheduler) : scheduler_(scheduler) {}

SimDesktop::~SimDesktop() {
    // Fade completions hold their windows; dropping them here breaks the cycle.
    for (auto& overlay : overlays_) overlay->abandon();
}

std::int64_t SimDesktop::nextNumber() {
    while (windows_.count(++lastNumber_) > 0) {
    }
    return lastNumber_;
}

// ---- Ports ---------------------------------------------------------------

std::vector<ports::RawWindow> SimDesktop::onScreenWindows(ports::WindowListOption option) {
    std::vector<ports::RawWindow> list;
    for (const auto& e : stacking()) {
        if (option == ports::WindowListOption::OnScreenOnlyExcludingDesktop &&
            e.layer == kDesktopLayer) {
            continue;
        }
        ports::RawWindow w{e.owner, e.layer, e.windowNumber, e.bounds, std::nullopt};
        if (!e.title.empty()) w.title = e.title;
        w.fullscreen = e.fullscreen;
        list.push_back(std::move(w));
    }
    return list;
}

std::vector<ports::ScreenInfo> SimDesktop::screens() const {
    std::vector<ports::ScreenInfo> result;
    for (const auto& m : monitors_) result.push_back({m.id, m.frame, m.frame});
    return result;
}

std::optional<ports::ScreenInfo> SimDesktop::mainScreen() const {
    if (monitors_.empty()) return std::nullopt;
    for (const auto& m : monitors_) {
        if (mainId_ && m.id == mainId_) return ports::ScreenInfo{m.id, m.frame, m.frame};
    }
    return ports::ScreenInfo{monitors_.front().id, monitors_.front().frame,
                                monitors_.front().frame};
}

std::uint32_t SimDesktop::mainDisplayID() const {
    auto main = mainScreen();
    return main && main->displayID ? *main->displayID : 0;
}

std::optional<ports::RunningApplication> SimDesktop::frontmostApplication() const {
    return frontmost_;
}

void SimDesktop::addObserver(ports::WorkspaceEvents& observer) {
    observers_.push_back(&observer);
}

void SimDesktop::removeObserver(ports::WorkspaceEvents& observer) {
    std::erase(observers_, &observer);
}

std::shared_ptr<ports::OverlayWindow> SimDesktop::create(const ports::ScreenInfo& screen) {
    const std::int64_t number = nextNumber();
    auto overlay = std::make_shared<SimOverlayWindow>(*this, scheduler_, number, screen);
    Record record;
    record.spec = WindowSpec{"Quorvel", toTopLeft(screen.frame), "", 0, number};
    record.hidden = true;
    record.overlay = overlay.get();
    windows_[number] = record;
    order_.insert(order_.begin(), number);
    normalize();
    overlays_.push_back(overlay);
    return overlay;
}

// ---- Windows -------------------------------------------------------------

std::int64_t SimDesktop::addWindow(const WindowSpec& spec) {
    const std::int64_t number = spec.number.value_or(0) > 0 ? *spec.number : nextNumber();
    closeWindow(number);
    Record record;
    record.spec = spec;
    record.spec.number = number;
    windows_[number] = record;
    order_.insert(order_.begin(), number);
    normalize();
    windowsChanged();
    return number;
}

void SimDesktop::moveWindow(std::int64_t number, const core::Rect& bounds) {
    if (auto it = windows_.find(number); it != windows_.end()) it->second.spec.bounds = bounds;
    windowsChanged();
}

void SimDesktop::raiseWindow(std::int64_t number) {
    if (windows_.count(number)) placeFront(number);
    windowsChanged();
}

void SimDesktop::closeWindow(std::int64_t number) {
    auto it = windows_.find(number);
    if (it == windows_.end() || it->second.overlay) return;
    windows_.erase(it);
    std::erase(order_, number);
    windowsChanged();
}

void SimDesktop::setWindowHidden(std::int64_t number, bool hidden) {
    if (auto it = windows_.find(number); it != windows_.end()) it->second.hidden = hidden;
    windowsChanged();
}

void SimDesktop::windowsChanged() const {
    if (reportsChanges_ && onChange_) onChange_();
}

void SimDesktop::placeFront(std::int64_t number) {
    std::erase(order_, number);
    order_.insert(order_.begin(), number);
    normalize();
}

void SimDesktop::normalize() {
    // Higher layers in front; within a layer the given order stays.
    std::stable_sort(order_.begin(), order_.end(), [this](std::int64_t a, std::int64_t b) {
        return windows_.at(a).spec.layer > windows_.at(b).spec.layer;
    });
}

// ---- Monitors ------------------------------------------------------------

core::Rect SimDesktop::toTopLeft(const core::Rect& r) const {
    const double primaryHeight = monitors_.empty() ? 0.0 : monitors_.front().frame.height;
    return {r.x, primaryHeight - (r.y + r.height), r.width, r.height};
}

SimDesktop::Monitor* SimDesktop::monitor(std::uint32_t id) {
    for (auto& m : monitors_) {
        if (m.id == id) return &m;
    }
    return nullptr;
}

std::uint32_t SimDesktop::addMonitor(const core::Rect& frame, std::optional<std::uint32_t> id,
                                     bool withWallpaper) {
    const std::uint32_t monitorId = id.value_or(lastMonitorId_ + 1);
    lastMonitorId_ = std::max(lastMonitorId_, monitorId);
    monitors_.push_back({monitorId, frame, 0});
    if (withWallpaper) {
        const std::int64_t number =
            addWindow({kWallpaperOwner, toTopLeft(frame), "Desktop", kDesktopLayer, {}});
        windows_[number].wallpaperOf = monitorId;
    }
    refreshWallpapers();
    return monitorId;
}

void SimDesktop::addMonitorWithoutId(const core::Rect& frame) {
    monitors_.push_back({std::nullopt, frame, 0});
}

void SimDesktop::removeMonitor(std::uint32_t id) {
    std::erase_if(monitors_, [id](const Monitor& m) { return m.id == id; });
    if (auto wallpaper = wallpaperOf(id)) {
        windows_.erase(*wallpaper);
        std::erase(order_, *wallpaper);
    }
    refreshWallpapers();
}

void SimDesktop::setMonitorFrame(std::uint32_t id, const core::Rect& frame) {
    if (Monitor* m = monitor(id)) m->frame = frame;
    refreshWallpapers();
}

std::optional<std::int64_t> SimDesktop::wallpaperOf(std::uint32_t id) const {
    for (const auto& [number, record] : windows_) {
        if (record.wallpaperOf == id) return number;
    }
    return std::nullopt;
}

void SimDesktop::slideWallpaper(std::uint32_t id, double dx) {
    if (Monitor* m = monitor(id)) m->slide = dx;
    refreshWallpapers();
}

void SimDesktop::refreshWallpapers() {
    for (auto& [number, record] : windows_) {
        if (!record.wallpaperOf) continue;
        if (Monitor* m = monitor(*record.wallpaperOf)) {
            record.spec.bounds = toTopLeft(m->frame);
            record.spec.bounds.x += m->slide;
        }
    }
}

void SimDesktop::setFrontmostApplication(std::optional<ports::RunningApplication> app) {
    frontmost_ = std::move(app);
    if (!frontmost_) return;
    const auto observers = observers_;
    for (auto* o : observers) o->didActivateApplication(*frontmost_);
}

// ---- Overlays ------------------------------------------------------------

void SimDesktop::overlayChanged(SimOverlayWindow& overlay, bool levelChanged) {
    auto it = windows_.find(overlay.windowNumber());
    if (it == windows_.end()) return;
    it->second.spec.bounds = toTopLeft(overlay.frame());
    it->second.spec.layer = overlay.level() == ports::WindowLevel::Covering ? kCoveringLayer : 0;
    it->second.hidden = !overlay.isVisible();
    if (levelChanged) placeFront(overlay.windowNumber());
}

void SimDesktop::overlayOrderedBelow(SimOverlayWindow& overlay, std::int64_t target) {
    const std::int64_t number = overlay.windowNumber();
    overlayChanged(overlay, false);
    if (!windows_.count(target) || target == number) {
        placeFront(number);
        return;
    }
    std::erase(order_, number);
    order_.insert(std::find(order_.begin(), order_.end(), target) + 1, number);
    normalize();
}

void SimDesktop::overlayOrderedFront(SimOverlayWindow& overlay) {
    overlayChanged(overlay, false);
    placeFront(overlay.windowNumber());
}

void SimDesktop::overlayClosed(SimOverlayWindow& overlay) {
    windows_.erase(overlay.windowNumber());
    std::erase(order_, overlay.windowNumber());
}

// ---- Readout -------------------------------------------------------------

std::vector<StackEntry> SimDesktop::stacking() const {
    std::vector<StackEntry> result;
    for (std::int64_t number : order_) {
        const Record& r = windows_.at(number);
        if (r.hidden) continue;
        result.push_back({number, r.spec.owner, r.spec.title, r.spec.layer, r.spec.bounds,
                          r.overlay != nullptr, r.overlay ? r.overlay->alpha() : 1.0,
                          r.spec.fullscreen});
    }
    return result;
}

std::string SimDesktop::describeStacking() const {
    std::string text;
    for (const auto& e : stacking()) {
        if (!text.empty()) text += ' ';
        if (e.isOverlay) {
            const auto* overlay = windows_.at(e.windowNumber).overlay;
            char buf[64];
            std::snprintf(buf, sizeof buf, "[veil:%u%s a=%.2f]",
                          overlay->screen().displayID.value_or(0),
                          e.layer == kCoveringLayer ? " covering" : "", e.alpha);
            text += buf;
        } else {
            text += e.owner + "#" + std::to_string(e.windowNumber);
        }
    }
    return text.empty() ? "(nothing on screen)" : text;
}

SimOverlayWindow* SimDesktop::overlayOn(std::uint32_t id) const {
    for (auto it = overlays_.rbegin(); it != overlays_.rend(); ++it) {
        if (!(*it)->isClosed() && (*it)->screen().displayID == id) return it->get();
    }
    return nullptr;
}

std::size_t SimDesktop::openOverlayCount() const {
    return static_cast<std::size_t>(std::count_if(overlays_.begin(), overlays_.end(),
                                                  [](const auto& o) { return !o->isClosed(); }));
}

bool SimDesktop::isCovered(std::int64_t number) const {
    const auto entries = stacking();
    auto self = std::find_if(entries.begin(), entries.end(),
                             [number](const StackEntry& e) { return e.windowNumber == number; });
    if (self == entries.end()) return false;
    return std::any_of(entries.begin(), self, [&](const StackEntry& e) {
        return e.isOverlay && e.alpha > 0.0 && e.bounds.intersects(self->bounds);
    });
}

std::optional<std::int64_t> SimDesktop::windowBelow(std::int64_t number) const {
    const auto entries = stacking();
    for (std::size_t i = 0; i + 1 < entries.size(); ++i) {
        if (entries[i].windowNumber == number) return entries[i + 1].windowNumber;
    }
    return std::nullopt;
}

}  // namespace quorvel::sim
