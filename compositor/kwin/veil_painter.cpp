#include "veil_painter.h"

#include <kwineffects.h>
#include <kwinglutils.h>

#include <algorithm>
#include <cmath>

#include "veil.h"

namespace quorvel::kwin {
namespace {

using KWin::GLFramebuffer;
using KWin::GLShader;
using KWin::GLTexture;
using KWin::ShaderTrait;

// Each halving spreads a pixel over twice the distance: shrunk 2^n times and
// stretched back, a pixel spreads with a deviation of about 2^(n-1), so the
// chain stops once 2^n reaches sigma (measured: 6 gives the width 6 asks).
int levelsFor(double sigma, const QSize& size) {
    int levels = 1;
    while (levels < 6 && (1 << levels) < sigma) ++levels;
    while (levels > 1 && ((size.width() >> levels) < 1 || (size.height() >> levels) < 1)) --levels;
    return levels;
}

QSize levelSize(const QSize& size, int level) {
    return {std::max(1, size.width() >> level), std::max(1, size.height() >> level)};
}

// `where` in the projection's device pixels, `from` in texture coordinates.
void drawQuad(const QRectF& where, const QRectF& from) {
    const float x0 = where.left(), y0 = where.top(), x1 = where.right(), y1 = where.bottom();
    const float s0 = from.left(), t0 = from.top(), s1 = from.right(), t1 = from.bottom();
    const float vertices[] = {x0, y0, x1, y0, x1, y1, x0, y0, x1, y1, x0, y1};
    const float coords[] = {s0, t0, s1, t0, s1, t1, s0, t0, s1, t1, s0, t1};
    KWin::GLVertexBuffer* vbo = KWin::GLVertexBuffer::streamingBuffer();
    vbo->reset();
    vbo->setData(6, 2, vertices, coords);
    vbo->render(GL_TRIANGLES);
}

QRectF scaled(const QRect& r, qreal scale) {
    return {r.x() * scale, r.y() * scale, r.width() * scale, r.height() * scale};
}

}  // namespace

VeilPainter::VeilPainter() = default;
VeilPainter::~VeilPainter() = default;

void VeilPainter::paint(const Veil& veil, double opacity, const QMatrix4x4& projection) {
    const QRect target = KWin::effects->renderTargetRect();
    const qreal scale = KWin::effects->renderTargetScale();
    const QRect area = veil.frame & target;
    if (area.isEmpty() || opacity <= 0.0) return;
    const QRectF device = scaled(area.translated(-target.topLeft()), scale);
    const QRect source(std::lround(device.x()), std::lround(device.y()),
                       std::lround(device.width()), std::lround(device.height()));
    glEnable(GL_BLEND);
    if (veil.look.sigma > 0.0 && GLFramebuffer::blitSupported())
        drawFrost(veil, area, source, opacity, projection, scale);
    if (!veil.look.tint.isNull()) drawTint(veil, area, opacity, projection, scale);
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_BLEND);
}

void VeilPainter::prune(const VeilStore& veils) {
    std::erase_if(tints_, [&veils](const auto& entry) {
        return std::none_of(veils.all().begin(), veils.all().end(),
                            [&entry](const auto& veil) { return veil->id == entry.first; });
    });
}

void VeilPainter::drawFrost(const Veil& veil, const QRect& area, const QRect& source,
                            double opacity, const QMatrix4x4& projection, qreal scale) {
    const std::vector<MaskStrip> strips = maskStrips(veil.look.mask, veil.frame.height());
    if (strips.empty() || !frost(source, levelsFor(veil.look.sigma * scale, source.size()))) return;
    KWin::ShaderBinder binder(ShaderTrait::MapTexture);
    binder.shader()->setUniform(GLShader::ModelViewProjectionMatrix, projection);
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
        drawQuad(scaled(QRect(area.x(), top, area.width(), bottom - top), scale),
                 QRectF(QPointF(0.0, t0), QPointF(1.0, t1)));
    }
    texture->unbind();
}

void VeilPainter::drawTint(const Veil& veil, const QRect& area, double opacity,
                           const QMatrix4x4& projection, qreal scale) {
    const QImage& image = veil.look.tint;
    const QRect rows(veil.frame.x(), veil.frame.y(), veil.frame.width(),
                     std::min(image.height(), veil.frame.height()));
    const QRect where = rows & area;
    if (where.isEmpty()) return;
    GLTexture* texture = tintTexture(veil);
    KWin::ShaderBinder binder(ShaderTrait::MapTexture | ShaderTrait::Modulate);
    binder.shader()->setUniform(GLShader::ModelViewProjectionMatrix, projection);
    const float o = float(opacity);
    binder.shader()->setUniform(GLShader::ModulationConstant, QVector4D(o, o, o, o));
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);  // the image is premultiplied
    texture->bind();
    const QPoint offset = where.topLeft() - veil.frame.topLeft();
    drawQuad(
        scaled(where, scale),
        QRectF(double(offset.x()) / image.width(), double(offset.y()) / image.height(),
               double(where.width()) / image.width(), double(where.height()) / image.height()));
    texture->unbind();
}

bool VeilPainter::frost(const QRect& source, int levels) {
    const QSize size = source.size();
    if (chain_.size() < size_t(levels + 1) || chain_.front().texture->size() != size) {
        chain_.clear();
        for (int level = 0; level <= levels; ++level) {
            Level l;
            l.texture = std::make_unique<GLTexture>(GL_RGBA8, levelSize(size, level));
            l.texture->setFilter(GL_LINEAR);
            l.texture->setWrapMode(GL_CLAMP_TO_EDGE);
            l.framebuffer = std::make_unique<GLFramebuffer>(l.texture.get());
            if (!l.framebuffer->valid()) {
                chain_.clear();
                return false;
            }
            chain_.push_back(std::move(l));
        }
    }
    chain_[0].framebuffer->blitFromFramebuffer(source, QRect(), GL_NEAREST);
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
        tint.texture = std::make_unique<GLTexture>(veil.look.tint);
        tint.texture->setFilter(GL_NEAREST);
        tint.texture->setWrapMode(GL_REPEAT);  // the image repeats across the veil
        tint.serial = veil.look.serial;
    }
    return tint.texture.get();
}

}  // namespace quorvel::kwin
