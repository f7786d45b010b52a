#pragma once

#include "core/scheduler.h"
#include "core/signal.h"
#include "look/veil_animation.h"
#include "look/veil_appearance.h"
#include "ports/color_scheme.h"
#include "settings/settings.h"

namespace quorvel::look {

/// The veil's look as the user set it and the desktop's scheme resolves it,
/// with the glide between the focus modes: one follower for every way of
/// drawing the veil. A change of the settings or the scheme is applied on the
/// next turn of the main queue (several settings changed together make one
/// change), then `changed` fires once, and once per frame while a glide runs.
class LookFollower {
public:
    /// `frameRate`: how often a glide is redrawn (the drawing's own cost decides).
    LookFollower(settings::Settings& settings, ports::ColorSchemeSource& schemes,
                 core::Scheduler& scheduler, double frameRate);
    ~LookFollower();
    LookFollower(const LookFollower&) = delete;
    LookFollower& operator=(const LookFollower&) = delete;

    /// What to draw now. `blurAvailable` is left for the drawing to set.
    VeilAppearance appearance() const { return animation_.appearanceAt(scheduler_.now()); }
    /// Where a glide is going (or the look when none runs).
    const VeilAppearance& target() const { return animation_.target(); }
    bool isGliding() const { return animation_.isAnimating(scheduler_.now()); }

    core::Signal<>& changed() { return changed_; }

private:
    VeilAppearance settledLook() const;
    void refreshLater();
    void refresh();

    settings::Settings& settings_;
    ports::ColorSchemeSource& schemes_;
    core::Scheduler& scheduler_;
    double frameRate_;
    VeilAnimation animation_;
    bool refreshQueued_ = false;
    core::Timer frames_;
    std::vector<core::Connection> watches_;
    core::Signal<> changed_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace quorvel::look
