#include "desktop/x11/x11_window_list.h"

#include "desktop/x11/connection.h"
#include "desktop/x11/monitor_layout.h"
#include "desktop/x11/window_mirror.h"

namespace quorvel::x11 {

std::vector<platform::RawWindow> X11WindowList::onScreenWindows(platform::WindowListOption option) {
    std::vector<platform::RawWindow> result;
    if (!connection_.isOpen()) return result;
    WindowMirror& mirror = connection_.windows();
    mirror.refresh();
    MonitorLayout& layout = connection_.monitors();
    const core::Rect primary = layout.primaryFrame();
    const bool withDesktop = option == platform::WindowListOption::OnScreenOnly;
    const auto& stacking = mirror.stacking();
    result.reserve(stacking.size() + 2);
    for (auto it = stacking.rbegin(); it != stacking.rend(); ++it) {
        const Toplevel* top = mirror.toplevel(*it);
        if (!top || !mirror.isOnScreen(*top)) continue;
        if (!withDesktop && mirror.isDesktop(*top)) continue;
        platform::RawWindow entry;
        entry.ownerName = mirror.ownerName(*top);
        entry.layer = mirror.layer(*top);
        entry.windowNumber = std::int64_t(mirror.subjectOf(*top));
        entry.bounds = MonitorLayout::windowRectFromX(mirror.bounds(*top), primary);
        // Our own veils carry no title, so the behaviour filters them out.
        if (!mirror.isOwnWindow(top->id)) {
            if (const WindowProps* p = mirror.props(mirror.subjectOf(*top))) entry.title = p->title;
        }
        result.push_back(std::move(entry));
    }
    if (withDesktop) {
        const auto& monitors = layout.monitors();
        for (std::size_t i = 0; i < monitors.size(); ++i) {
            result.push_back(
                platform::RawWindow{"Wallpaper", layer::desktop, wallpaperNumber(i),
                                    MonitorLayout::windowRectFromX(monitors[i].frame, primary),
                                    std::string("Desktop")});
        }
    }
    return result;
}

void X11WindowList::setChangeHandler(std::function<void()> onChange) {
    changes_.reset();
    if (onChange && connection_.isOpen())
        changes_ = connection_.windows().changed().connect(std::move(onChange));
}

}  // namespace quorvel::x11
