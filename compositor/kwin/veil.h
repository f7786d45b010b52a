#pragma once

#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QRect>
#include <QString>
#include <chrono>
#include <memory>
#include <vector>

namespace KWin {
class EffectWindow;
}

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

/// Rows past the end of `mask` count as 0, as the GNOME extension reads them.
std::vector<MaskStrip> maskStrips(const QByteArray& mask, int rows);

enum class Placement { None, Below, Covering };

struct VeilLook {
    QImage tint;  // premultiplied; null when the veil has no tint
    QByteArray mask;
    double sigma = 0.0;
    quint64 serial = 0;  // tells the painter when its texture is stale
};

struct Veil {
    quint32 id = 0;
    QString owner;
    QRect frame;
    Placement placement = Placement::None;
    KWin::EffectWindow* below = nullptr;
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
    /// Whether `owner` still has veils left.
    bool owns(const QString& owner) const;
    void dropOwner(const QString& owner);
    /// Veils below `gone` go below `successor` instead (null: not drawn).
    void retarget(KWin::EffectWindow* gone, KWin::EffectWindow* successor);
    void clear() { veils_.clear(); }

    bool empty() const { return veils_.empty(); }
    const std::vector<std::unique_ptr<Veil>>& all() const { return veils_; }

private:
    std::vector<std::unique_ptr<Veil>> veils_;  // creation order = paint order
    quint32 nextId_ = 1;
    quint64 nextSerial_ = 1;

    friend void setLook(VeilStore&, Veil&, VeilLook);
};

/// Replaces a veil's look, marking it new for the painter.
void setLook(VeilStore& store, Veil& veil, VeilLook look);

}  // namespace quorvel::kwin
