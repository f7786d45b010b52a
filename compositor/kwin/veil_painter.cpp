#include "veil_painter.h"

#include <algorithm>
#include <cmath>

#include "kwin_compat_effect.h"
#include "kwin_compat_gl.h"
#include "veil.h"

namespace quorvel::kwin {
namespace {

using compat::PaintTarget;
using KWin::GLFramebuffer;
using KWin::GLTexture;
using KWin::ShaderTrait;

// Each halving spreads a pixel over twice the distance: shrunk 2^n times and
// stretched back, a pixel spreads with a deviation of about 2^(n-1), so the
// chain stops once 2^n reaches the blur (measured: 6 gives the width 6 asks).
int levelsFor(double blur, const QSize& size) {
    int levels = 1;
    while (levels < 6 && (1 << levels) < blur) ++levels;
    while (levels > 1 && ((size.width() >> levels) < 1 || (size.height() >> levels) < 1)) --levels;
    return levels;
}

QSize levelSize(const QSize& size, int level) {
    return {std::max(1, size.width() >> level), std::max(1, size.height() >> level)};
}

QRectF vertices(const PaintTarget& target, const QRect& logical) {
    return {target.vertex(logical.topLeft()),
            target.vertex(logical.topLeft() + QPoint(logical.width(), logical.height()))};
}

}  // namespace

VeilPainter::VeilPainter() = default;
VeilPainter::~VeilPainter() = default;

void VeilPainter::paint(const PaintTarget& target, const Veil& veil, double opacity) {
    const QRect area = veil.frame & target.area();
    if (area.isEmpty() || opacity <= 0.0 || veil.look.tint.isNull()) return;
    glEnable(GL_BLEND);
    if (veil.look.blur > 0.0 && compat::gl::blitSupported()) drawFrost(target, veil, area, opacity);
    drawTint(target, veil, area, opacity);
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_BLEND);
}

void VeilPainter::prune(const VeilStore& veils) {
    std::erase_if(tints_, [&veils](const auto& entry) {
        return std::none_of(veils.all().begin(), veils.all().end(),
                            [&entry](const auto& veil) { return veil->id == entry.first; });
    });
}

void VeilPainter::drawFrost(const PaintTarget& target, const Veil& veil, const QRect& area,
                            double opacity) {
    const std::vector<MaskStrip> strips = maskStrips(veil.look.mask, veil.frame.height());
    const QSize device = (QSizeF(area.size()) * target.scale()).toSize();
    if (strips.empty() || device.isEmpty() ||
        !frost(target, area, levelsFor(veil.look.blur * target.scale(), device)))
        return;
    KWin::ShaderBinder binder(ShaderTrait::MapTexture);
    compat::gl::setProjection(binder.shader(), target.projection());
    // A constant blend factor ignores the copy's alpha, which is whatever the
    // windows underneath left in the framebuffer.
    glBlendFunc(GL_CONSTANT_ALPHA, GL_ONE_MINUS_CONSTANT_ALPHA);
    GLTexture* texture = chain_.front().texture.get();
    texture->bind();
    for (const MaskStrip& strip : strips) {
        const int top = std::max(veil.frame.y() + strip.y, area.top());
        const int bottom = std::min(veil.frame.y() + strip.y + strip.height, area.bottom() + 1);
        if (bottom <= top) continue;
        // The copy is upside down: GL counts rows from the bottom.
        const double t0 = 1.0 - double(top - area.y()) / area.height();
        const double t1 = 1.0 - double(bottom - area.y()) / area.height();
        glBlendColor(0.0f, 0.0f, 0.0f, float(strip.value / 255.0 * opacity));
        compat::gl::drawQuad(vertices(target, QRect(area.x(), top, area.width(), bottom - top)),
                             QRectF(QPointF(0.0, t0), QPointF(1.0, t1)));
    }
    texture->unbind();
}

void VeilPainter::drawTint(const PaintTarget& target, const Veil& veil, const QRect& area,
                           double opacity) {
    const QImage& image = veil.look.tint;
    const QRect rows(veil.frame.x(), veil.frame.y(), veil.frame.width(),
                     std::min(image.height(), veil.frame.height()));
    const QRect where = rows & area;
    if (where.isEmpty()) return;
    GLTexture* texture = tintTexture(veil);
    if (!texture) return;
    KWin::ShaderBinder binder(ShaderTrait::MapTexture | ShaderTrait::Modulate);
    compat::gl::setProjection(binder.shader(), target.projection());
    compat::gl::setModulation(binder.shader(), float(opacity));
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);  // the image is premultiplied
    texture->bind();
    const QPoint offset = where.topLeft() - veil.frame.topLeft();
    compat::gl::drawQuad(
        vertices(target, where),
        QRectF(double(offset.x()) / image.width(), double(offset.y()) / image.height(),
               double(where.width()) / image.width(), double(where.height()) / image.height()));
    texture->unbind();
}

bool VeilPainter::frost(const PaintTarget& target, const QRect& area, int levels) {
    const QSize size = (QSizeF(area.size()) * target.scale()).toSize();
    if (chain_.size() < size_t(levels + 1) || chain_.front().texture->size() != size) {
        chain_.clear();
        for (int level = 0; level <= levels; ++level) {
            Level l;
            l.texture = compat::gl::allocate(GL_RGBA8, levelSize(size, level));
            if (!l.texture) break;
            l.texture->setFilter(GL_LINEAR);
            l.texture->setWrapMode(GL_CLAMP_TO_EDGE);
            l.framebuffer = std::make_unique<GLFramebuffer>(l.texture.get());
            if (!l.framebuffer->valid()) break;
            chain_.push_back(std::move(l));
        }
        if (chain_.size() < size_t(levels + 1)) {
            chain_.clear();
            return false;
        }
    }
    target.copyTo(area, chain_[0].framebuffer.get());
    // Halving with linear filtering averages 2x2 blocks, so thin lines fade
    // instead of flickering in and out; the way back up smooths the blocks.
    for (int level = 1; level <= levels; ++level) {
        GLFramebuffer::pushFramebuffer(chain_[level - 1].framebuffer.get());
        chain_[level].framebuffer->blitFromFramebuffer(QRect(), QRect(), GL_LINEAR);
        GLFramebuffer::popFramebuffer();
    }
    for (int level = levels - 1; level >= 0; --level) {
        GLFramebuffer::pushFramebuffer(chain_[level + 1].framebuffer.get());
        chain_[level].framebuffer->blitFromFramebuffer(QRect(), QRect(), GL_LINEAR);
        GLFramebuffer::popFramebuffer();
    }
    return true;
}

GLTexture* VeilPainter::tintTexture(const Veil& veil) {
    Tint& tint = tints_[veil.id];
    if (!tint.texture || tint.serial != veil.look.serial) {
        tint.texture = compat::gl::upload(veil.look.tint);
        if (!tint.texture) return nullptr;
        tint.texture->setFilter(GL_NEAREST);
        tint.texture->setWrapMode(GL_REPEAT);  // the image repeats across the veil
        tint.serial = veil.look.serial;
    }
    return tint.texture.get();
}

}  // namespace quorvel::kwin
