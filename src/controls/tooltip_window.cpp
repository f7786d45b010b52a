#include "controls/tooltip_window.h"

namespace quorvel::controls {

TooltipWindow::TooltipWindow(ports::HintWindow& window, ports::StatusItem& statusItem,
                             const ports::Screens& screens)
    : window_(window), statusItem_(statusItem), screens_(screens) {
    window_.setEvents(this);
}

TooltipWindow::~TooltipWindow() {
    if (following_) statusItem_.removeObserver(*this);
    window_.setEvents(nullptr);
}

void TooltipWindow::positionBelowStatusItem() {
    const core::Size size = window_.size();
    if (auto item = statusItem_.geometry()) {
        const core::Point centre{item->minX() + item->width / 2, item->minY() + item->height / 2};
        const core::Rect visible =
            visibleFrameAt(centre, screens_.screens(), screens_.mainScreen());
        const TooltipPlacement p = controls::positionBelowStatusItem(*item, visible, size);
        window_.setFrame(p.frame, p.arrowUp);
        return;
    }
    const core::Rect visible =
        visibleFrameAt(screens_.mouseLocation(), screens_.screens(), screens_.mainScreen());
    if (visible.isEmpty()) return;  // no monitor at all: stay where it was
    const TooltipPlacement p = fallbackPlacement(visible, size);
    window_.setFrame(p.frame, p.arrowUp);
}

void TooltipWindow::showTooltip() {
    if (following_) statusItem_.removeObserver(*this);
    positionBelowStatusItem();
    statusItem_.addObserver(*this);
    following_ = true;
    shown_ = true;
    ++generation_;
    window_.orderFront();
    window_.animateAlpha(1.0, fadeDuration, [] {});
}

void TooltipWindow::close() {
    if (following_) statusItem_.removeObserver(*this);
    following_ = false;
    if (!shown_) return;
    shown_ = false;
    const std::uint64_t generation = ++generation_;
    std::weak_ptr<int> alive = alive_;
    window_.animateAlpha(0.0, fadeDuration, [this, alive, generation] {
        if (alive.lock() && generation == generation_) window_.orderOut();
    });
}

void TooltipWindow::geometryChanged() {
    if (following_) positionBelowStatusItem();
}

}  // namespace quorvel::controls
