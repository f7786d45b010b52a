#include "quorvel_effect.h"

#include "shell_service.h"
#include "window_layers.h"

namespace quorvel::kwin {

using KWin::effects;
using KWin::EffectWindow;

QuorvelEffect::QuorvelEffect()
    : service_(std::make_unique<ShellService>(state_, veils_, shortcuts_)) {
    if (!service_->publish())
        qWarning("quorvel: io.github.quorvel.Shell1 is taken on the session bus");
    connect(service_.get(), &ShellService::veilsChanged, this, [] { effects->addRepaintFull(); });
    connect(&state_, &DesktopState::windowClosing, this,
            [this](EffectWindow* w, EffectWindow* successor) { veils_.retarget(w, successor); });
    connect(&state_, &DesktopState::windowGone, this,
            [this](EffectWindow* w) { veils_.retarget(w, nullptr); });
}

QuorvelEffect::~QuorvelEffect() {
    service_.reset();
    veils_.clear();
    effects->addRepaintFull();
}

bool QuorvelEffect::shown(const Veil& veil) const {
    return veil.placement != Placement::None && !veil.frame.isEmpty() &&
           veil.fade.at(frameTime_) > 0.0 && (veil.placement == Placement::Covering || veil.below);
}

void QuorvelEffect::prePaintScreen(KWin::ScreenPrePaintData& data,
                                   std::chrono::milliseconds presentTime) {
    frameTime_ = Clock::now();
    animating_ = false;
    bool anyCovering = false;
    for (const auto& veil : veils_.all()) {
        animating_ = animating_ || veil->fade.running(frameTime_);
        if (!shown(*veil)) continue;
        anyCovering = anyCovering || veil->placement == Placement::Covering;
        // Everything under a veil is painted again whenever anything is:
        // frosting or tinting a half-repainted area would stack on the
        // previous frame's veil.
        data.paint += veil->frame;
    }
    coverAnchor_ = nullptr;
    if (anyCovering) {
        for (EffectWindow* w : effects->stackingOrder()) {
            if (aboveNormalLayer(w) && w->isVisible()) {
                coverAnchor_ = w;
                break;
            }
        }
    }
    findWindowsAboveVeils();
    effects->prePaintScreen(data, presentTime);
}

void QuorvelEffect::findWindowsAboveVeils() {
    aboveVeils_.clear();
    bool above = false;
    for (EffectWindow* w : effects->stackingOrder()) {  // bottom to top
        if (above) aboveVeils_.insert(w);
        if (w == coverAnchor_ || !framesOf(Placement::Below, w).isEmpty()) {
            above = true;
            aboveVeils_.insert(w);
        }
    }
}

void QuorvelEffect::paintScreen(int mask, const QRegion& region, KWin::ScreenPaintData& data) {
    painter_.prune(veils_);
    covered_ = false;
    effects->paintScreen(mask, region, data);
    if (!covered_) paintVeils(Placement::Covering, nullptr, data.projectionMatrix());
}

void QuorvelEffect::postPaintScreen() {
    if (animating_) effects->addRepaintFull();
    effects->postPaintScreen();
}

void QuorvelEffect::prePaintWindow(EffectWindow* w, KWin::WindowPrePaintData& data,
                                   std::chrono::milliseconds presentTime) {
    // WORKAROUND(KWin): what an opaque window hides is not painted again, so
    // the frost, read back from what has been painted so far, would pick up
    // the previous frame's picture of a window above the veil.
    if (aboveVeils_.contains(w)) data.opaque = QRegion();
    QRegion frames = framesOf(Placement::Below, w);
    if (w == coverAnchor_) frames += framesOf(Placement::Covering, nullptr);
    if (!frames.isEmpty()) {
        // KWin clips a window's painting to its own rectangle unless it is
        // transformed; the veil painted with it spans the whole monitor.
        data.setTransformed();
        data.paint += frames;
    }
    effects->prePaintWindow(w, data, presentTime);
}

void QuorvelEffect::paintWindow(EffectWindow* w, int mask, QRegion region,
                                KWin::WindowPaintData& data) {
    if (w == coverAnchor_ && !covered_) {
        paintVeils(Placement::Covering, nullptr, data.projectionMatrix());
        covered_ = true;
    }
    paintVeils(Placement::Below, w, data.projectionMatrix());
    effects->paintWindow(w, mask, region, data);
}

void QuorvelEffect::paintVeils(Placement placement, EffectWindow* below,
                               const QMatrix4x4& projection) {
    for (const auto& veil : veils_.all()) {
        if (veil->placement != placement || veil->below != below || !shown(*veil)) continue;
        painter_.paint(*veil, veil->fade.at(frameTime_), projection);
    }
}

QRegion QuorvelEffect::framesOf(Placement placement, EffectWindow* below) const {
    QRegion frames;
    for (const auto& veil : veils_.all()) {
        if (veil->placement == placement && veil->below == below && shown(*veil))
            frames += veil->frame;
    }
    return frames;
}

}  // namespace quorvel::kwin

KWIN_EFFECT_FACTORY_ENABLED(quorvel::kwin::QuorvelEffect, "metadata.json", return false;)

#include "quorvel_effect.moc"
