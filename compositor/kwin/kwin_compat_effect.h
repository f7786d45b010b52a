#pragma once

// The effect's paint hooks as each KWin version calls them, turned into one
// set of calls (EffectBase) that hands the painters one PaintTarget.

#include "kwin_compat.h"

#if QUORVEL_KWIN_AT_LEAST(6, 0)
#include <core/rendertarget.h>
#include <core/renderviewport.h>
#endif

#include <QHash>
#include <QImage>
#include <QMatrix4x4>
#include <QPainter>
#include <chrono>

namespace KWin {
class GLFramebuffer;
}

namespace quorvel::kwin::compat {

/// One output (or, on KWin X11, the whole screen) while KWin paints it.
class PaintTarget {
public:
    /// The part of the desktop being painted, in logical pixels.
    QRect area() const { return area_; }
    qreal scale() const { return scale_; }
    /// Maps a quad's corners given by vertex(logical point) to clip space.
    QMatrix4x4 projection() const { return projection_; }
    QPointF vertex(const QPointF& logical) const { return vertexScale_ * logical; }
    /// The QPainter KWin paints with, or null on OpenGL.
    QPainter* painter() const { return painter_; }
    /// Copies what has been painted so far of `logical` (inside area()) into
    /// the whole of `into`, upside down as GL keeps textures.
    void copyTo(const QRect& logical, KWin::GLFramebuffer* into) const;
    /// What has been painted so far of area(), at device resolution.
    QImage grab() const;

#if QUORVEL_KWIN_AT_LEAST(6, 0)
    PaintTarget(const KWin::RenderTarget& target, const KWin::RenderViewport& viewport);

private:
    const KWin::RenderTarget* target_;
    const KWin::RenderViewport* viewport_;
#else
    explicit PaintTarget(const QMatrix4x4& projection);

private:
#endif
    QRect area_;
    qreal scale_ = 1.0;
    qreal vertexScale_ = 1.0;
    QMatrix4x4 projection_;
    QPainter* painter_ = nullptr;
};

/// KWin::Effect with the paint hooks every version has in common.
class EffectBase : public KWin::Effect {
protected:
    EffectBase();
    /// Before a frame: true when the whole screen must be painted, as a
    /// frost reads back everything under it.
    virtual bool beginFrame() = 0;
    /// Before painting `w`: true when something is painted with it that
    /// reaches outside its own frame.
    virtual bool paintsWith(KWin::EffectWindow* w) = 0;
    virtual void beginScreen(const PaintTarget& target) = 0;
    virtual void beforeWindow(const PaintTarget& target, KWin::EffectWindow* w) = 0;
    virtual void endScreen(const PaintTarget& target) = 0;
    virtual void endFrame() = 0;
    /// True while some output still needs whole frames to clear what the
    /// effect painted last: the effect must stay active until then.
    bool owesWholeFrames() const;

public:
#if QUORVEL_KWIN_AT_LEAST(6, 7)
    void prePaintScreen(KWin::ScreenPrePaintData& data) override;
    void paintScreen(const KWin::RenderTarget& target, const KWin::RenderViewport& viewport,
                     int mask, const KWin::Region& region, Screen* screen) override;
    void prePaintWindow(KWin::RenderView* view, KWin::EffectWindow* w,
                        KWin::WindowPrePaintData& data) override;
    void paintWindow(const KWin::RenderTarget& target, const KWin::RenderViewport& viewport,
                     KWin::EffectWindow* w, int mask, const KWin::Region& region,
                     KWin::WindowPaintData& data) override;
#elif QUORVEL_KWIN_AT_LEAST(6, 0)
    void prePaintScreen(KWin::ScreenPrePaintData& data,
                        std::chrono::milliseconds presentTime) override;
    void paintScreen(const KWin::RenderTarget& target, const KWin::RenderViewport& viewport,
                     int mask, const QRegion& region, Screen* screen) override;
    void prePaintWindow(KWin::EffectWindow* w, KWin::WindowPrePaintData& data,
                        std::chrono::milliseconds presentTime) override;
    void paintWindow(const KWin::RenderTarget& target, const KWin::RenderViewport& viewport,
                     KWin::EffectWindow* w, int mask, QRegion region,
                     KWin::WindowPaintData& data) override;
#else
    void prePaintScreen(KWin::ScreenPrePaintData& data,
                        std::chrono::milliseconds presentTime) override;
    void paintScreen(int mask, const QRegion& region, KWin::ScreenPaintData& data) override;
    void prePaintWindow(KWin::EffectWindow* w, KWin::WindowPrePaintData& data,
                        std::chrono::milliseconds presentTime) override;
    void paintWindow(KWin::EffectWindow* w, int mask, QRegion region,
                     KWin::WindowPaintData& data) override;
#endif
    void postPaintScreen() override;

private:
#if !QUORVEL_KWIN_AT_LEAST(6, 0)
    // Whole frames each output still needs since its last frame with veils.
    QHash<const KWin::EffectScreen*, int> owed_;
    QRect repaintNext_;
#endif
};

}  // namespace quorvel::kwin::compat
