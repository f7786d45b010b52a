#pragma once

namespace quorvel::kwin {

namespace compat {
class PaintTarget;
}
struct Veil;

/// Draws veils on KWin's QPainter renderer, which cannot blur: Quorvel's
/// tint and grain, already masked row by row, over what lies below.
class SoftVeilPainter {
public:
    SoftVeilPainter();
    void paint(const compat::PaintTarget& target, const Veil& veil, double opacity);
};

}  // namespace quorvel::kwin
