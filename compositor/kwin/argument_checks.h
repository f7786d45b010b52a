#pragma once

#include <QByteArray>
#include <QList>
#include <QRect>
#include <QString>
#include <optional>
#include <variant>

namespace quorvel::kwin::checks {

/// What a caller sent wrong: the message names the argument.
struct Invalid {
    QString message;
};

/// The part of the frame that lies on the monitors (the bounding box of its
/// pieces), or why there is none. Works in 64 bits: no sum of a caller's
/// numbers overflows.
std::variant<QRect, Invalid> clipFrame(qint64 x, qint64 y, qint64 width, qint64 height,
                                       const QList<QRect>& monitors);

/// The monitors a frame reaches into.
QList<QRect> monitorsUnder(const QRect& frame, const QList<QRect>& monitors);

std::optional<Invalid> checkLook(int width, int height, qint64 pixelBytes, qint64 maskBytes,
                                 double blur, int veilHeight);

std::optional<Invalid> checkFade(double opacity, double seconds);

enum class How { Below, Covering, Hidden };
std::variant<How, Invalid> parseHow(const QString& how);

}  // namespace quorvel::kwin::checks
