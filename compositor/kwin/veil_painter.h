#pragma once

#include <QMatrix4x4>
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

struct Veil;
class VeilStore;

/// Draws veils with OpenGL over whatever the current render target holds so
/// far: a frosted copy of it through the veil's mask, then the tint. Only to
/// be used while KWin paints (its GL context is current then).
class VeilPainter {
public:
    VeilPainter();
    ~VeilPainter();

    void paint(const Veil& veil, double opacity, const QMatrix4x4& projection);
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

    void drawFrost(const Veil& veil, const QRect& area, const QRect& source, double opacity,
                   const QMatrix4x4& projection, qreal scale);
    void drawTint(const Veil& veil, const QRect& area, double opacity, const QMatrix4x4& projection,
                  qreal scale);
    /// Blurs `source` of the current framebuffer into the first level.
    bool frost(const QRect& source, int levels);
    KWin::GLTexture* tintTexture(const Veil& veil);

    std::vector<Level> chain_;
    std::unordered_map<quint32, Tint> tints_;
};

}  // namespace quorvel::kwin
