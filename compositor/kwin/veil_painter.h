#pragma once

#include <QRect>
#include <QSize>
#include <memory>
#include <unordered_map>
#include <vector>

namespace KWin {
class GLFramebuffer;
class GLTexture;
}  // namespace KWin

namespace quorvel::kwin {

namespace compat {
class PaintTarget;
}
struct Veil;
class VeilStore;

/// Draws veils with OpenGL over whatever the render target holds so far: a
/// frosted copy of it through the veil's mask, row by row, then Quorvel's
/// tint and grain. Only while KWin paints (its GL context is current then).
class VeilPainter {
public:
    VeilPainter();
    ~VeilPainter();

    void paint(const compat::PaintTarget& target, const Veil& veil, double opacity);
    /// Frees the textures of veils no longer in `veils`.
    void prune(const VeilStore& veils);

private:
    struct Level {
        std::unique_ptr<KWin::GLTexture> texture;
        std::unique_ptr<KWin::GLFramebuffer> framebuffer;
    };
    struct Tint {
        quint64 serial = 0;
        std::unique_ptr<KWin::GLTexture> texture;
    };

    void drawFrost(const compat::PaintTarget& target, const Veil& veil, const QRect& area,
                   double opacity);
    void drawTint(const compat::PaintTarget& target, const Veil& veil, const QRect& area,
                  double opacity);
    /// Blurs `area` of what has been painted into the first level.
    bool frost(const compat::PaintTarget& target, const QRect& area, int levels);
    KWin::GLTexture* tintTexture(const Veil& veil);

    std::vector<Level> chain_;
    std::unordered_map<quint32, Tint> tints_;
};

}  // namespace quorvel::kwin
