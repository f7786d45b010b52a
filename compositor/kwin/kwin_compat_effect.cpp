#include "kwin_compat_effect.h"

#include "kwin_compat_gl.h"

#include <cmath>
#include <utility>

namespace quorvel::kwin::compat {
namespace {

using KWin::effects;

QRect deviceRect(const QRect& logical, qreal scale) {
    return {int(std::lround(logical.x() * scale)), int(std::lround(logical.y() * scale)),
            int(std::lround(logical.width() * scale)), int(std::lround(logical.height() * scale))};
}

// What a monitor shows: its colours whatever alpha the scene left behind
// (converting would undo a premultiplication the screen never does).
QImage opaque(QImage image) {
    switch (image.format()) {
        case QImage::Format_ARGB32:
        case QImage::Format_ARGB32_Premultiplied:
            image.reinterpretAsFormat(QImage::Format_RGB32);
            break;
        case QImage::Format_RGBA8888:
        case QImage::Format_RGBA8888_Premultiplied:
            image.reinterpretAsFormat(QImage::Format_RGBX8888);
            break;
        default:
            break;
    }
    return image.convertToFormat(QImage::Format_RGB32);
}

// Reads back a framebuffer copy the right way up.
QImage readBack(KWin::GLTexture& texture) {
#if QT_VERSION >= QT_VERSION_CHECK(6, 9, 0)
    return opaque(texture.toImage().flipped(Qt::Vertical));
#else
    return opaque(texture.toImage().mirrored());
#endif
}

}  // namespace

#if QUORVEL_KWIN_AT_LEAST(6, 0)

PaintTarget::PaintTarget(const KWin::RenderTarget& target, const KWin::RenderViewport& viewport)
    : target_(&target), viewport_(&viewport) {
    area_ = QRectF(viewport.renderRect()).toAlignedRect();
    scale_ = viewport.scale();
    projection_ = viewport.projectionMatrix();  // takes logical coordinates
    if (!effects->isOpenGLCompositing()) painter_ = effects->scenePainter();
}

void PaintTarget::copyTo(const QRect& logical, KWin::GLFramebuffer* into) const {
    // KWin maps the logical rectangle onto the render target itself, wherever
    // this output's viewport lies in it.
    into->blitFromRenderTarget(*target_, *viewport_, logical, QRect(QPoint(), into->size()));
}

QImage PaintTarget::grab() const {
    if (QImage* image = target_->image()) {
        return opaque(image->copy(deviceRect(area_.translated(-area_.topLeft()), scale_)));
    }
    auto texture = gl::allocate(GL_RGBA8, deviceRect(area_, scale_).size());
    KWin::GLFramebuffer framebuffer(texture.get());
    copyTo(area_, &framebuffer);
    return readBack(*texture);
}

#else

PaintTarget::PaintTarget(const QMatrix4x4& projection) {
    area_ = effects->renderTargetRect();
    scale_ = effects->renderTargetScale();
    // KWin 5.27's projection takes device pixels of the whole desktop.
    vertexScale_ = scale_;
    projection_ = projection;
    if (!effects->isOpenGLCompositing()) painter_ = effects->scenePainter();
}

void PaintTarget::copyTo(const QRect& logical, KWin::GLFramebuffer* into) const {
    const QRect source = deviceRect(logical.translated(-area_.topLeft()), scale_);
    into->blitFromFramebuffer(source, QRect(), GL_LINEAR);
}

QImage PaintTarget::grab() const {
    if (painter_) {
        if (auto* image = dynamic_cast<QImage*>(painter_->device()))
            return opaque(image->copy(deviceRect(area_.translated(-area_.topLeft()), scale_)));
        return {};
    }
    auto texture = gl::allocate(GL_RGBA8, deviceRect(area_, scale_).size());
    KWin::GLFramebuffer framebuffer(texture.get());
    copyTo(area_, &framebuffer);
    return readBack(*texture);
}

#endif

// The hooks, version by version. Each passes the frame on down KWin's chain.

#if QUORVEL_KWIN_AT_LEAST(6, 7)
void EffectBase::prePaintScreen(KWin::ScreenPrePaintData& data) {
    if (beginFrame()) data.mask |= PAINT_SCREEN_WITH_TRANSFORMED_WINDOWS;
    effects->prePaintScreen(data);
}

void EffectBase::paintScreen(const KWin::RenderTarget& target, const KWin::RenderViewport& viewport,
                             int mask, const KWin::Region& region, Screen* screen) {
    const PaintTarget paint(target, viewport);
    beginScreen(paint);
    effects->paintScreen(target, viewport, mask, region, screen);
    endScreen(paint);
}

void EffectBase::prePaintWindow(KWin::RenderView* view, KWin::EffectWindow* w,
                                KWin::WindowPrePaintData& data) {
    if (paintsWith(w)) data.setTransformed();
    effects->prePaintWindow(view, w, data);
}

void EffectBase::paintWindow(const KWin::RenderTarget& target, const KWin::RenderViewport& viewport,
                             KWin::EffectWindow* w, int mask, const KWin::Region& region,
                             KWin::WindowPaintData& data) {
    beforeWindow(PaintTarget(target, viewport), w);
    effects->paintWindow(target, viewport, w, mask, region, data);
}
#elif QUORVEL_KWIN_AT_LEAST(6, 0)
void EffectBase::prePaintScreen(KWin::ScreenPrePaintData& data,
                                std::chrono::milliseconds presentTime) {
    if (beginFrame()) data.mask |= PAINT_SCREEN_WITH_TRANSFORMED_WINDOWS;
    effects->prePaintScreen(data, presentTime);
}

void EffectBase::paintScreen(const KWin::RenderTarget& target, const KWin::RenderViewport& viewport,
                             int mask, const QRegion& region, Screen* screen) {
    const PaintTarget paint(target, viewport);
    beginScreen(paint);
    effects->paintScreen(target, viewport, mask, region, screen);
    endScreen(paint);
}

void EffectBase::prePaintWindow(KWin::EffectWindow* w, KWin::WindowPrePaintData& data,
                                std::chrono::milliseconds presentTime) {
    if (paintsWith(w)) data.setTransformed();
    effects->prePaintWindow(w, data, presentTime);
}

void EffectBase::paintWindow(const KWin::RenderTarget& target, const KWin::RenderViewport& viewport,
                             KWin::EffectWindow* w, int mask, QRegion region,
                             KWin::WindowPaintData& data) {
    beforeWindow(PaintTarget(target, viewport), w);
    effects->paintWindow(target, viewport, w, mask, region, data);
}
#else
// WORKAROUND(KWin 5.27): its OpenGL scene clears the bare desktop of a partly
// repainted output where the output's desktop coordinates would lie in its
// framebuffer, so on any output but the one at the desktop's origin it clears
// nothing, and what the veils painted last stays once they no longer ask for
// whole frames (which it clears whole). Each output gets whole frames until
// every buffer it may cycle through (one shown, one queued, one drawn) has
// been painted without them.
constexpr int buffersPerOutput = 3;

void EffectBase::prePaintScreen(KWin::ScreenPrePaintData& data,
                                std::chrono::milliseconds presentTime) {
    if (beginFrame()) {
        owed_[data.screen] = buffersPerOutput;
        data.mask |= PAINT_SCREEN_WITH_TRANSFORMED_WINDOWS;
    } else if (auto owed = owed_.find(data.screen); owed != owed_.end()) {
        data.mask |= PAINT_SCREEN_WITH_TRANSFORMED_WINDOWS;
        if (--*owed > 0)
            repaintNext_ = data.screen->geometry();
        else
            owed_.erase(owed);
    }
    effects->prePaintScreen(data, presentTime);
}

void EffectBase::paintScreen(int mask, const QRegion& region, KWin::ScreenPaintData& data) {
    const PaintTarget paint(data.projectionMatrix());
    beginScreen(paint);
    effects->paintScreen(mask, region, data);
    endScreen(paint);
}

void EffectBase::prePaintWindow(KWin::EffectWindow* w, KWin::WindowPrePaintData& data,
                                std::chrono::milliseconds presentTime) {
    if (paintsWith(w)) data.setTransformed();
    effects->prePaintWindow(w, data, presentTime);
}

void EffectBase::paintWindow(KWin::EffectWindow* w, int mask, QRegion region,
                             KWin::WindowPaintData& data) {
    beforeWindow(PaintTarget(data.projectionMatrix()), w);
    effects->paintWindow(w, mask, region, data);
}
#endif

#if QUORVEL_KWIN_AT_LEAST(6, 0)
EffectBase::EffectBase() = default;

bool EffectBase::owesWholeFrames() const {
    return false;
}

void EffectBase::postPaintScreen() {
    endFrame();
    effects->postPaintScreen();
}
#else
EffectBase::EffectBase() {
    connect(effects, &KWin::EffectsHandler::screenRemoved, this,
            [this](KWin::EffectScreen* screen) { owed_.remove(screen); });
}

bool EffectBase::owesWholeFrames() const {
    return !owed_.isEmpty();
}

void EffectBase::postPaintScreen() {
    endFrame();
    if (!repaintNext_.isEmpty()) effects->addRepaint(std::exchange(repaintNext_, QRect()));
    effects->postPaintScreen();
}
#endif

}  // namespace quorvel::kwin::compat
