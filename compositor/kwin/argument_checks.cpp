#include "argument_checks.h"

#include <algorithm>
#include <cmath>

namespace quorvel::kwin::checks {
namespace {

constexpr int maxLookWidth = 1024;
constexpr double maxBlur = 64.0;
constexpr double maxFadeSeconds = 10.0;

bool within(double value, double low, double high) {
    return std::isfinite(value) && value >= low && value <= high;
}

}  // namespace

std::variant<QRect, Invalid> clipFrame(qint64 x, qint64 y, qint64 width, qint64 height,
                                       const QList<QRect>& monitors) {
    if (width <= 0 || height <= 0)
        return Invalid{QStringLiteral("width, height: the frame has no area")};
    QRect bounds;
    for (const QRect& m : monitors) {
        const qint64 left = std::max<qint64>(x, m.x());
        const qint64 top = std::max<qint64>(y, m.y());
        const qint64 right = std::min<qint64>(x + width, qint64(m.x()) + m.width());
        const qint64 bottom = std::min<qint64>(y + height, qint64(m.y()) + m.height());
        // Inside a monitor, so every number fits in an int again.
        if (right > left && bottom > top)
            bounds |= QRect(int(left), int(top), int(right - left), int(bottom - top));
    }
    if (bounds.isEmpty()) return Invalid{QStringLiteral("x, y: the frame covers no monitor")};
    return bounds;
}

QList<QRect> monitorsUnder(const QRect& frame, const QList<QRect>& monitors) {
    QList<QRect> under;
    for (const QRect& m : monitors) {
        if (m.intersects(frame)) under.append(m);
    }
    return under;
}

std::optional<Invalid> checkLook(int width, int height, qint64 pixelBytes, qint64 maskBytes,
                                 double blur, int veilHeight) {
    if (width < 1 || width > maxLookWidth)
        return Invalid{QStringLiteral("width: %1 is not in 1..%2").arg(width).arg(maxLookWidth)};
    if (height < 1 || height > veilHeight)
        return Invalid{QStringLiteral("height: %1 is not in 1..%2 (the veil's height)")
                           .arg(height)
                           .arg(veilHeight)};
    if (pixelBytes != qint64(width) * height * 4)
        return Invalid{QStringLiteral("pixels: %1 bytes for a %2x%3 image (%4 expected)")
                           .arg(pixelBytes)
                           .arg(width)
                           .arg(height)
                           .arg(qint64(width) * height * 4)};
    if (maskBytes > veilHeight)
        return Invalid{
            QStringLiteral("mask: %1 rows for a veil of %2").arg(maskBytes).arg(veilHeight)};
    if (!within(blur, 0.0, maxBlur))
        return Invalid{QStringLiteral("blur: %1 is not in 0..%2").arg(blur).arg(maxBlur)};
    return std::nullopt;
}

std::optional<Invalid> checkFade(double opacity, double seconds) {
    if (!within(opacity, 0.0, 1.0))
        return Invalid{QStringLiteral("opacity: %1 is not in 0..1").arg(opacity)};
    if (!within(seconds, 0.0, maxFadeSeconds))
        return Invalid{
            QStringLiteral("seconds: %1 is not in 0..%2").arg(seconds).arg(maxFadeSeconds)};
    return std::nullopt;
}

std::variant<How, Invalid> parseHow(const QString& how) {
    if (how == QLatin1String("below")) return How::Below;
    if (how == QLatin1String("covering")) return How::Covering;
    if (how == QLatin1String("hidden")) return How::Hidden;
    return Invalid{
        QStringLiteral("how: \"%1\" is not below, covering or hidden").arg(how.left(64))};
}

}  // namespace quorvel::kwin::checks
