#pragma once

#include <QSet>

#include <kwineffects.h>

#include <memory>

#include "desktop_state.h"
#include "shortcuts.h"
#include "veil.h"
#include "veil_painter.h"

namespace quorvel::kwin {

class ShellService;

/// Quorvel's veils inside KWin, driven over D-Bus exactly as the GNOME
/// extension is. A veil "below" a window is painted just before that window;
/// a "covering" one just before the first window above the normal layer.
class QuorvelEffect : public KWin::Effect {
    Q_OBJECT
public:
    QuorvelEffect();
    ~QuorvelEffect() override;

    void prePaintScreen(KWin::ScreenPrePaintData& data,
                        std::chrono::milliseconds presentTime) override;
    void paintScreen(int mask, const QRegion& region, KWin::ScreenPaintData& data) override;
    void postPaintScreen() override;
    void prePaintWindow(KWin::EffectWindow* w, KWin::WindowPrePaintData& data,
                        std::chrono::milliseconds presentTime) override;
    void paintWindow(KWin::EffectWindow* w, int mask, QRegion region,
                     KWin::WindowPaintData& data) override;

    bool isActive() const override { return !veils_.empty(); }
    int requestedEffectChainPosition() const override { return 10; }

private:
    void findWindowsAboveVeils();
    bool shown(const Veil& veil) const;
    void paintVeils(Placement placement, KWin::EffectWindow* below, const QMatrix4x4& projection);
    QRegion framesOf(Placement placement, KWin::EffectWindow* below) const;

    VeilStore veils_;
    DesktopState state_;
    Shortcuts shortcuts_;
    std::unique_ptr<ShellService> service_;
    VeilPainter painter_;
    Clock::time_point frameTime_;
    KWin::EffectWindow* coverAnchor_ = nullptr;
    bool covered_ = false;
    /// The windows a veil's target or cover anchor has at or above it this frame.
    QSet<KWin::EffectWindow*> aboveVeils_;
    bool animating_ = false;
};

}  // namespace quorvel::kwin
