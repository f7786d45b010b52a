#include "veil.h"

#include <algorithm>

namespace quorvel::kwin {

void Fade::start(double to, double seconds, Clock::time_point now) {
    from_ = at(now);
    to_ = std::clamp(to, 0.0, 1.0);
    seconds_ = std::max(0.0, seconds);
    start_ = now;
}

double Fade::at(Clock::time_point now) const {
    if (seconds_ <= 0.0) return to_;
    const double t = std::chrono::duration<double>(now - start_).count() / seconds_;
    if (t >= 1.0) return to_;
    const double left = 1.0 - std::max(0.0, t);
    return from_ + (to_ - from_) * (1.0 - left * left);
}

bool Fade::running(Clock::time_point now) const {
    return seconds_ > 0.0 && std::chrono::duration<double>(now - start_).count() < seconds_;
}

std::vector<MaskStrip> maskStrips(const QByteArray& mask, int rows) {
    std::vector<MaskStrip> strips;
    const int known = std::min<qsizetype>(rows, mask.size());
    for (int row = 0; row < known; ++row) {
        const int value = quint8(mask.at(row));
        if (value == 0) continue;
        if (!strips.empty() && strips.back().value == value &&
            strips.back().y + strips.back().height == row) {
            ++strips.back().height;
        } else {
            strips.push_back({row, 1, value});
        }
    }
    return strips;
}

Veil& VeilStore::create(const QString& owner, const QRect& frame) {
    auto veil = std::make_unique<Veil>();
    veil->id = nextId_++;
    veil->owner = owner;
    veil->frame = frame;
    veils_.push_back(std::move(veil));
    return *veils_.back();
}

Veil* VeilStore::find(quint32 id, const QString& owner) {
    for (const auto& veil : veils_) {
        if (veil->id == id) return veil->owner == owner ? veil.get() : nullptr;
    }
    return nullptr;
}

void VeilStore::destroy(quint32 id) {
    std::erase_if(veils_, [id](const auto& veil) { return veil->id == id; });
}

bool VeilStore::dropOwner(const QString& owner) {
    return std::erase_if(veils_, [&owner](const auto& veil) { return veil->owner == owner; }) > 0;
}

int VeilStore::countOn(const QString& owner, const QRect& monitor, quint32 except) const {
    return int(std::count_if(veils_.begin(), veils_.end(), [&](const auto& veil) {
        return veil->owner == owner && veil->id != except && veil->frame.intersects(monitor);
    }));
}

void VeilStore::retarget(quint64 gone, quint64 successor) {
    for (const auto& veil : veils_) {
        if (veil->below == gone) veil->below = successor;
    }
}

void VeilStore::setLook(Veil& veil, VeilLook look) {
    look.serial = nextSerial_++;
    veil.look = std::move(look);
}

}  // namespace quorvel::kwin
