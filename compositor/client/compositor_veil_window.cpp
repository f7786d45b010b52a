#include "compositor/client/compositor_veil_window.h"

#include <algorithm>
#include <cmath>

namespace quorvel::compositor {

namespace {

// The compositors' components ease fades out quadratically.
double easeOutQuad(double t) {
    return 1.0 - (1.0 - t) * (1.0 - t);
}

}  // namespace

CompositorVeilWindow::CompositorVeilWindow(CompositorClient& shell, core::Scheduler& scheduler,
                                           CompositorVeilLook& look, const core::Rect& frame)
    : shell_(shell), scheduler_(scheduler), look_(look), frame_(frame) {
    make();
    lookChanged_ = look_.changed().connect([this] { sendLook(false); });
    returned_ = shell_.returned().connect([this] {
        veil_ = 0;
        make();
    });
}

CompositorVeilWindow::~CompositorVeilWindow() {
    close();
}

void CompositorVeilWindow::make() {
    if (closed_ || veil_) return;
    veil_ = shell_.createVeil(frame_);
    if (!veil_) return;
    sendLook(true);
    shell_.fadeVeil(veil_, alpha(), 0.0);
    if (to_ != alpha()) {
        const double left = std::max(0.0, start_ + duration_ - scheduler_.now());
        shell_.fadeVeil(veil_, to_, left);
    }
    if (how_ != "hidden") shell_.placeVeil(veil_, how_, below_);
}

void CompositorVeilWindow::sendLook(bool force) {
    if (!veil_) return;
    const look::VeilAppearance look = look_.appearance();
    const int height = int(std::lround(frame_.height));
    if (!force && look == sentLook_ && height == sentHeight_) return;
    sentLook_ = look;
    sentHeight_ = height;
    const CompositorVeilImage image = makeShellVeilImage(look_.grain(), look, height);
    shell_.setVeilLook(veil_, image.width, image.height, image.pixels, image.mask,
                       CompositorVeilLook::kBlurSigma);
}

void CompositorVeilWindow::setFrame(const core::Rect& frame) {
    if (closed_ || frame == frame_) return;
    frame_ = frame;
    if (!veil_) return make();
    shell_.setVeilFrame(veil_, frame_);
    sendLook(false);
}

void CompositorVeilWindow::place(const std::string& how, std::uint64_t window) {
    if (closed_) return;
    if (!veil_) make();
    if (how == how_ && window == below_) return;
    how_ = how;
    below_ = window;
    if (veil_) shell_.placeVeil(veil_, how, window);
}

void CompositorVeilWindow::placeBelow(ports::WindowId window) {
    place("below", window);
}

void CompositorVeilWindow::cover() {
    place("covering", 0);
}

void CompositorVeilWindow::hide() {
    place("hidden", 0);
}

double CompositorVeilWindow::alpha() const {
    if (duration_ <= 0.0) return to_;
    const double t = std::clamp((scheduler_.now() - start_) / duration_, 0.0, 1.0);
    return from_ + (to_ - from_) * easeOutQuad(t);
}

void CompositorVeilWindow::setAlpha(double alpha) {
    fadeEnd_.cancel();
    if (auto done = std::exchange(completion_, nullptr)) done();
    from_ = to_ = std::clamp(std::isnan(alpha) ? 0.0 : alpha, 0.0, 1.0);
    duration_ = 0;
    if (veil_) shell_.fadeVeil(veil_, to_, 0.0);
}

void CompositorVeilWindow::animateAlpha(double target, double duration,
                                        std::function<void()> completion) {
    const double current = alpha();
    fadeEnd_.cancel();
    if (auto done = std::exchange(completion_, nullptr)) done();
    if (closed_) {
        if (completion) completion();
        return;
    }
    target = std::clamp(std::isnan(target) ? 0.0 : target, 0.0, 1.0);
    const bool instant = !(duration > 0.0);
    from_ = instant ? target : current;
    to_ = target;
    start_ = scheduler_.now();
    duration_ = instant ? 0.0 : duration;
    completion_ = std::move(completion);
    if (veil_) shell_.fadeVeil(veil_, target, duration_);
    // An instant change still ends on the next turn of the main queue, as a
    // fade would.
    fadeEnd_ = scheduler_.after(duration_, core::TimerMode::Common, [this] {
        duration_ = 0;
        if (auto done = std::exchange(completion_, nullptr)) done();
    });
}

void CompositorVeilWindow::close() {
    if (closed_) return;
    closed_ = true;
    fadeEnd_.cancel();
    lookChanged_.reset();
    returned_.reset();
    if (veil_) shell_.destroyVeil(veil_);
    veil_ = 0;
    // A fade that was still running ends here, as if it had finished.
    if (auto done = std::exchange(completion_, nullptr)) done();
}

CompositorVeilWindows::CompositorVeilWindows(CompositorClient& shell, core::Scheduler& scheduler)
    : shell_(shell), scheduler_(scheduler) {
    look_.setFrost(shell_.state().frost);
    frostChanges_ = shell_.changed().connect([this] { look_.setFrost(shell_.state().frost); });
}

std::shared_ptr<ports::VeilWindow> CompositorVeilWindows::create(const ports::Monitor& monitor) {
    auto window = std::make_shared<CompositorVeilWindow>(shell_, scheduler_, look_, monitor.frame);
    std::erase_if(made_, [](const auto& w) { return w.expired(); });
    made_.push_back(window);
    return window;
}

CompositorVeilWindows::~CompositorVeilWindows() {
    // A fade's completion holds its veil; one cut short by quitting would
    // keep the veil, and the look it follows, past this factory.
    for (const auto& made : made_) {
        if (auto window = made.lock()) window->close();
    }
}

}  // namespace quorvel::compositor
