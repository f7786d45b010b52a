#include "quorvel_effect.h"

#include "compositor_service.h"
#include "soft_veil_painter.h"
#include "veil_painter.h"
#include "window_layers.h"

namespace quorvel::kwin {

using KWin::effects;
using KWin::EffectWindow;

QuorvelEffect::QuorvelEffect() {
    const bool testSession = qgetenv("QUORVEL_COMPOSITOR_TEST") == "1";
    service_ = std::make_unique<CompositorService>(
        CompositorService::Parts{state_, veils_, shortcuts_, capture_, testSession});
    if (!service_->publish())
        qWarning("quorvel: io.github.quorvel.Compositor1 is taken on the session bus");
    if (effects->isOpenGLCompositing())
        glPainter_ = std::make_unique<VeilPainter>();
    else
        softPainter_ = std::make_unique<SoftVeilPainter>();
    connect(service_.get(), &CompositorService::veilsChanged, this,
            [] { effects->addRepaintFull(); });
    connect(&state_, &DesktopState::windowClosing, this,
            [this](quint64 window, quint64 successor) { veils_.retarget(window, successor); });
}

QuorvelEffect::~QuorvelEffect() {
    service_.reset();
    veils_.clear();
    effects->addRepaintFull();
}

bool QuorvelEffect::isActive() const {
    return !veils_.empty() || state_.switching() || capture_.pending() || owesWholeFrames();
}

bool QuorvelEffect::shown(const Veil& veil) const {
    return veil.placement != Placement::Hidden && !veil.look.tint.isNull() &&
           veil.fade.at(frameTime_) > 0.0 &&
           (veil.placement == Placement::Covering || state_.window(veil.below));
}

bool QuorvelEffect::beginFrame() {
    frameTime_ = Clock::now();
    animating_ = false;
    bool any = false, covering = false;
    for (const auto& veil : veils_.all()) {
        animating_ = animating_ || veil->fade.running(frameTime_);
        if (!shown(*veil)) continue;
        any = true;
        covering = covering || veil->placement == Placement::Covering;
    }
    coverAnchor_ = covering ? findCoverAnchor() : nullptr;
    if (glPainter_) glPainter_->prune(veils_);
    // Everything under a veil is painted again whenever anything is: a frost
    // or tint over a half-repainted area would stack on the last frame's.
    return any || capture_.pending();
}

EffectWindow* QuorvelEffect::findCoverAnchor() const {
    // The kept-above windows at the top of the stack stay over the veil;
    // everything from the first other window down lies under it.
    EffectWindow* anchor = nullptr;
    const auto stack = effects->stackingOrder();
    for (auto it = stack.crbegin(); it != stack.crend(); ++it) {
        if ((*it)->isDeleted() || !(*it)->isVisible()) continue;
        if (!keptAbove(*it)) break;
        anchor = *it;
    }
    return anchor;
}

bool QuorvelEffect::paintsWith(EffectWindow* w) {
    if (w == coverAnchor_) return true;
    const quint64 id = state_.id(w);
    if (id == 0) return false;
    for (const auto& veil : veils_.all()) {
        if (veil->placement == Placement::Below && veil->below == id && shown(*veil)) return true;
    }
    return false;
}

void QuorvelEffect::beginScreen(const compat::PaintTarget&) {
    covered_ = false;
}

void QuorvelEffect::beforeWindow(const compat::PaintTarget& target, EffectWindow* w) {
    if (w == coverAnchor_ && !covered_) {
        paintVeils(target, Placement::Covering, 0);
        covered_ = true;
    }
    if (const quint64 id = state_.id(w)) paintVeils(target, Placement::Below, id);
}

void QuorvelEffect::endScreen(const compat::PaintTarget& target) {
    if (!covered_) paintVeils(target, Placement::Covering, 0);
    capture_.add(target);
}

void QuorvelEffect::endFrame() {
    if (animating_) effects->addRepaintFull();
    state_.framePainted();
    capture_.frameDone();
}

void QuorvelEffect::paintVeils(const compat::PaintTarget& target, Placement placement,
                               quint64 below) {
    for (const auto& veil : veils_.all()) {
        if (veil->placement != placement || veil->below != below || !shown(*veil)) continue;
        const double opacity = veil->fade.at(frameTime_);
        if (glPainter_)
            glPainter_->paint(target, *veil, opacity);
        else
            softPainter_->paint(target, *veil, opacity);
    }
}

}  // namespace quorvel::kwin

KWIN_EFFECT_FACTORY_ENABLED(quorvel::kwin::QuorvelEffect, "metadata.json", return false;)

#include "quorvel_effect.moc"
