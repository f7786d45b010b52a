#pragma once

#include <QByteArray>
#include <QImage>
#include <QRect>
#include <QString>
#include <chrono>
#include <memory>
#include <vector>

namespace quorvel::kwin {

using Clock = std::chrono::steady_clock;

/// An opacity easing (ease-out-quad) from wherever it was to a target.
class Fade {
public:
    void start(double to, double seconds, Clock::time_point now);
    double at(Clock::time_point now) const;
    bool running(Clock::time_point now) const;

private:
    double from_ = 0.0;
    double to_ = 0.0;
    double seconds_ = 0.0;
    Clock::time_point start_;
};

/// Consecutive veil rows that share one mask value; rows at 0 get none.
struct MaskStrip {
    int y = 0;
    int height = 0;
    int value = 0;  // 1..255
};

/// Rows past the end of `mask` count as 0, as the interface says.
std::vector<MaskStrip> maskStrips(const QByteArray& mask, int rows);

enum class Placement { Hidden, Below, Covering };

struct VeilLook {
    QImage tint;  // premultiplied; null when the veil has no look yet
    QByteArray mask;
    double blur = 0.0;
    quint64 serial = 0;  // tells the painters when their copy is stale
};

struct Veil {
    quint32 id = 0;
    QString owner;
    QRect frame;
    Placement placement = Placement::Hidden;
    /// The window id (DesktopState's) the veil lies below; 0 for none.
    quint64 below = 0;
    VeilLook look;
    Fade fade;
};

/// Every veil by id, and which bus name owns it.
class VeilStore {
public:
    Veil& create(const QString& owner, const QRect& frame);
    /// Null unless the veil exists and belongs to `owner`.
    Veil* find(quint32 id, const QString& owner);
    void destroy(quint32 id);
    /// False when `owner` had none.
    bool dropOwner(const QString& owner);
    /// How many of `owner`'s veils reach into `monitor`, leaving out `except`.
    int countOn(const QString& owner, const QRect& monitor, quint32 except = 0) const;
    /// Veils below `gone` go below `successor` instead (0: none, not drawn).
    void retarget(quint64 gone, quint64 successor);
    void setLook(Veil& veil, VeilLook look);
    void clear() { veils_.clear(); }

    bool empty() const { return veils_.empty(); }
    const std::vector<std::unique_ptr<Veil>>& all() const { return veils_; }

private:
    std::vector<std::unique_ptr<Veil>> veils_;  // creation order = paint order
    quint32 nextId_ = 1;
    quint64 nextSerial_ = 1;
};

}  // namespace quorvel::kwin
