#pragma once

#include <memory>

#include "desktop_state.h"
#include "kwin_compat_effect.h"
#include "screen_capture.h"
#include "shortcuts.h"
#include "veil.h"

namespace quorvel::kwin {

class CompositorService;
class SoftVeilPainter;
class VeilPainter;

/// Quorvel's veils inside KWin, driven over D-Bus. A veil "below" a window
/// is painted just before that window; a "covering" one just before the
/// lowest of the kept-above windows at the top of the stack (or last).
class QuorvelEffect : public compat::EffectBase {
    Q_OBJECT
public:
    QuorvelEffect();
    ~QuorvelEffect() override;

    bool isActive() const override;
    int requestedEffectChainPosition() const override { return 10; }

protected:
    bool beginFrame() override;
    bool paintsWith(KWin::EffectWindow* w) override;
    void beginScreen(const compat::PaintTarget& target) override;
    void beforeWindow(const compat::PaintTarget& target, KWin::EffectWindow* w) override;
    void endScreen(const compat::PaintTarget& target) override;
    void endFrame() override;

private:
    bool shown(const Veil& veil) const;
    KWin::EffectWindow* findCoverAnchor() const;
    void paintVeils(const compat::PaintTarget& target, Placement placement, quint64 below);

    VeilStore veils_;
    DesktopState state_;
    Shortcuts shortcuts_;
    ScreenCapture capture_;
    std::unique_ptr<CompositorService> service_;
    std::unique_ptr<VeilPainter> glPainter_;
    std::unique_ptr<SoftVeilPainter> softPainter_;
    Clock::time_point frameTime_;
    KWin::EffectWindow* coverAnchor_ = nullptr;  // only within one frame
    bool covered_ = false;
    bool animating_ = false;
};

}  // namespace quorvel::kwin
