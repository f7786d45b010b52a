#include "focus/focus_session.h"

namespace quorvel::focus {

FocusSession::FocusSession(settings::Settings& settings)
    : settings_(settings),
      onOff_(settings.focusOn.changed().connect([this] { changed_.emit(); })),
      modeChange_(settings.mode.changed().connect([this] { changed_.emit(); })) {}

void FocusSession::switchMode() {
    if (!isOn()) return;
    setMode(mode() == settings::FocusMode::ambient ? settings::FocusMode::deep
                                                   : settings::FocusMode::ambient);
}

}  // namespace quorvel::focus
