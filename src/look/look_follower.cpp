#include "look/look_follower.h"

#include "look/veil_theme.h"

namespace quorvel::look {

LookFollower::LookFollower(settings::Settings& settings, ports::ColorSchemeSource& schemes,
                           core::Scheduler& scheduler, double frameRate)
    : settings_(settings),
      schemes_(schemes),
      scheduler_(scheduler),
      frameRate_(frameRate),
      animation_(settledLook()) {
    for (core::Signal<>* signal :
         {&settings.mode.changed(), &settings.grain.changed(),
          &settings.slightTransparency.changed(), &settings.opacity.changed(),
          &settings.theme.changed(), &schemes.colorSchemeChanged()}) {
        watches_.push_back(signal->connect([this] { refreshLater(); }));
    }
}

LookFollower::~LookFollower() {
    *alive_ = false;
}

VeilAppearance LookFollower::settledLook() const {
    const ColorScheme system = schemes_.colorScheme() == ports::SystemColorScheme::dark
                                   ? ColorScheme::dark
                                   : ColorScheme::light;
    return makeVeilAppearance(settings_.mode.get(), settings_.grain.get(),
                              settings_.slightTransparency.get(), settings_.opacity.get(),
                              settings_.theme.get(), system, true);
}

void LookFollower::refreshLater() {
    if (refreshQueued_) return;
    refreshQueued_ = true;
    scheduler_.async([this, alive = alive_] {
        if (*alive) refresh();
    });
}

void LookFollower::refresh() {
    refreshQueued_ = false;
    animation_.update(settledLook(), scheduler_.now(), settings_.fadeDuration.get());
    changed_.emit();
    if (frames_.isActive() || !isGliding()) return;
    frames_ = scheduler_.repeating(1.0 / frameRate_, core::TimerMode::Common, [this] {
        changed_.emit();  // the last frame lands on the settled look
        if (!isGliding()) frames_.cancel();
    });
}

}  // namespace quorvel::look
