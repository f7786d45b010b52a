#include "x11/x11_window_list.h"

#include <algorithm>
#include <chrono>

#include "x11/connection.h"
#include "x11/monitor_layout.h"
#include "x11/window_mirror.h"

namespace quorvel::x11 {

namespace {

/// WORKAROUND(i3): a tiling window manager focuses a tile without raising it,
/// so the focused window can lie below its side-by-side neighbours. The
/// active window counts as in front of every ordinary window it does not
/// overlap; a window that really covers part of it stays in front, and so do
/// our veils, wherever they lie.
void bringActiveForward(std::vector<ports::RawWindow>& list, std::int64_t active,
                        const std::vector<std::int64_t>& own) {
    const auto ours = [&](const ports::RawWindow& w) {
        return std::find(own.begin(), own.end(), w.windowNumber) != own.end();
    };
    auto it = std::find_if(list.begin(), list.end(),
                           [&](const auto& w) { return w.windowNumber == active; });
    if (it == list.end() || it->layer != layer::normal || !it->bounds) return;
    auto first = it;
    while (first != list.begin()) {
        const auto& w = *std::prev(first);
        if (!ours(w) &&
            (w.layer != layer::normal || (w.bounds && w.bounds->intersects(*it->bounds))))
            break;
        --first;
    }
    // Our veils first, as they were, then the active window, then the rest.
    std::rotate(first, it, std::next(it));
    std::stable_partition(first, std::next(first, std::distance(first, it) + 1), ours);
}

double secondsNow() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

X11WindowList::X11WindowList(Connection& connection) : connection_(connection) {
    if (!connection_.isOpen()) return;
    switchHandler_ = connection_.addEventHandler([this](const xcb_generic_event_t& event) {
        if ((event.response_type & 0x7f) != XCB_PROPERTY_NOTIFY) return;
        const auto& e = reinterpret_cast<const xcb_property_notify_event_t&>(event);
        if (e.window != connection_.root() || e.atom != connection_.ewmh()._NET_CURRENT_DESKTOP)
            return;
        if (!animates_ || !animates_()) return;
        switchedAt_ = secondsNow();
        shiftSteps_ = 0;
        if (onChange_) onChange_();
    });
}

X11WindowList::~X11WindowList() {
    if (switchHandler_) connection_.removeEventHandler(switchHandler_);
}

double X11WindowList::wallpaperShift() {
    if (switchedAt_ < 0.0) return 0.0;
    if (secondsNow() - switchedAt_ >= kSwitchSettle) {
        switchedAt_ = -1.0;
        return 0.0;
    }
    // Two pixels further at each sample: every sample of the switch sees a move.
    return 2.0 * ++shiftSteps_;
}

std::vector<ports::RawWindow> X11WindowList::onScreenWindows(ports::WindowListOption option) {
    std::vector<ports::RawWindow> result;
    if (!connection_.isOpen()) return result;
    WindowMirror& mirror = connection_.windows();
    mirror.refresh();
    MonitorLayout& layout = connection_.monitors();
    const core::Rect primary = layout.primaryFrame();
    const bool withDesktop = option == ports::WindowListOption::OnScreenOnly;
    const auto& stacking = mirror.stacking();
    result.reserve(stacking.size() + 2);
    std::vector<std::int64_t> own;
    for (auto it = stacking.rbegin(); it != stacking.rend(); ++it) {
        const Toplevel* top = mirror.toplevel(*it);
        if (!top || !mirror.isOnScreen(*top)) continue;
        if (!withDesktop && mirror.isDesktop(*top)) continue;
        ports::RawWindow entry;
        entry.ownerName = mirror.ownerName(*top);
        entry.layer = mirror.layer(*top);
        entry.windowNumber = std::int64_t(mirror.subjectOf(*top));
        entry.bounds = MonitorLayout::windowRectFromX(mirror.bounds(*top), primary);
        // Our own veils carry no title, so the behaviour filters them out.
        if (mirror.isOwnWindow(top->id)) {
            own.push_back(*entry.windowNumber);
        } else if (const WindowProps* p = mirror.props(mirror.subjectOf(*top))) {
            entry.title = p->title;
            entry.fullscreen =
                std::find(p->states.begin(), p->states.end(),
                          connection_.ewmh()._NET_WM_STATE_FULLSCREEN) != p->states.end();
        }
        result.push_back(std::move(entry));
    }
    if (mirror.activeWindow() != XCB_NONE)
        bringActiveForward(result, std::int64_t(mirror.activeWindow()), own);
    if (withDesktop) {
        const auto& monitors = layout.monitors();
        const double shift = wallpaperShift();
        for (std::size_t i = 0; i < monitors.size(); ++i) {
            core::Rect frame = MonitorLayout::windowRectFromX(monitors[i].frame, primary);
            frame.x += shift;
            result.push_back(ports::RawWindow{"Wallpaper", layer::desktop, wallpaperNumber(i),
                                                 frame, std::string("Desktop")});
        }
    }
    return result;
}

void X11WindowList::setChangeHandler(std::function<void()> onChange) {
    changes_.reset();
    onChange_ = onChange;
    if (onChange && connection_.isOpen())
        changes_ = connection_.windows().changed().connect(std::move(onChange));
}

}  // namespace quorvel::x11
