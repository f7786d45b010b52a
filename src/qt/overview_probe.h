#pragma once

#include "core/signal.h"

namespace quorvel::qt {

/// A desktop's own overview of all windows, as its shell tells it over D-Bus
/// (GNOME Shell's Activities, KWin's overview effects), for the X11 backend.
class OverviewProbe {
public:
    virtual ~OverviewProbe() = default;
    /// False where the desktop's shell is not running.
    virtual bool isShowing() const = 0;
    /// After every change of `isShowing`.
    core::Signal<>& changed() { return changed_; }

protected:
    void set(bool& field, bool value) {
        if (field == value) return;
        field = value;
        changed_.emit();
    }

private:
    core::Signal<> changed_;
};

}  // namespace quorvel::qt
