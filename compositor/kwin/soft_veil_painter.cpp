#include "soft_veil_painter.h"

#include <QPainter>

#include "kwin_compat_effect.h"
#include "veil.h"

namespace quorvel::kwin {

SoftVeilPainter::SoftVeilPainter() {
    qWarning(
        "quorvel: KWin paints with QPainter: the veils show without frost, which needs OpenGL");
}

void SoftVeilPainter::paint(const compat::PaintTarget& target, const Veil& veil, double opacity) {
    QPainter* painter = target.painter();
    const QImage& image = veil.look.tint;
    if (!painter || image.isNull() || opacity <= 0.0) return;
    const QRect rows(veil.frame.x(), veil.frame.y(), veil.frame.width(),
                     std::min(image.height(), veil.frame.height()));
    const QRect where = rows & target.area();
    if (where.isEmpty()) return;
    painter->save();
    painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter->setOpacity(opacity);
    // The image repeats across the veil from its left edge.
    painter->setBrushOrigin(veil.frame.topLeft());
    painter->fillRect(where, QBrush(image));
    painter->restore();
}

}  // namespace quorvel::kwin
