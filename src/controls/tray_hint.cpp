#include "controls/tray_hint.h"

#include "controls/hint_placement.h"

namespace quorvel::controls {

TrayHint::TrayHint(ports::HintWindow& window, ports::Tray& tray, ports::Desktop& desktop)
    : window_(window), tray_(tray), desktop_(desktop) {
    window_.setEvents(this);
}

TrayHint::~TrayHint() {
    if (following_) tray_.removeObserver(*this);
    window_.setEvents(nullptr);
}

void TrayHint::place() {
    const core::Size size = window_.size();
    const auto monitors = desktop_.state().monitors;
    if (auto icon = tray_.geometry()) {
        const core::Point centre{icon->minX() + icon->width / 2, icon->minY() + icon->height / 2};
        const HintPlacement p = placeBelowTrayIcon(*icon, workAreaAt(centre, monitors), size);
        window_.setFrame(p.frame, p.arrowUp);
        return;
    }
    const core::Rect area = workAreaAt(desktop_.pointer(), monitors);
    if (area.isEmpty()) return;  // no monitor at all: stay where it was
    const HintPlacement p = fallbackPlacement(area, size);
    window_.setFrame(p.frame, p.arrowUp);
}

void TrayHint::show() {
    if (following_) tray_.removeObserver(*this);
    place();
    tray_.addObserver(*this);
    following_ = true;
    shown_ = true;
    ++generation_;
    window_.orderFront();
    window_.animateAlpha(1.0, fadeDuration, [] {});
}

void TrayHint::close() {
    if (following_) tray_.removeObserver(*this);
    following_ = false;
    if (!shown_) return;
    shown_ = false;
    const std::uint64_t generation = ++generation_;
    std::weak_ptr<int> alive = alive_;
    window_.animateAlpha(0.0, fadeDuration, [this, alive, generation] {
        if (alive.lock() && generation == generation_) window_.orderOut();
    });
}

void TrayHint::geometryChanged() {
    if (following_) place();
}

}  // namespace quorvel::controls
