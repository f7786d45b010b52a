#pragma once

#include <xcb/xcb.h>

#include <functional>
#include <optional>
#include <vector>

#include "core/scheduler.h"
#include "core/signal.h"
#include "ports/app_catalog.h"
#include "ports/desktop.h"
#include "x11/desktop_entry_matcher.h"

namespace quorvel::x11 {

class Connection;

/// The desktop as X tells it, from the connection's event-maintained mirror:
/// the monitors (RandR), the managed windows front to back (_NET_CLIENT_LIST
/// order as the server stacks them), the active window, and workspace
/// switches (_NET_CURRENT_DESKTOP). Window ids are the clients' own. A state
/// costs no round trip unless something changed.
class X11Desktop final : public ports::Desktop {
public:
    /// About as long as the window managers that animate a switch (mutter,
    /// muffin, KWin) take to slide the new workspace in.
    static constexpr double kSwitchSettle = 0.4;

    X11Desktop(Connection& connection, core::Scheduler& scheduler,
               const ports::AppCatalog& catalog);
    ~X11Desktop() override;
    X11Desktop(const X11Desktop&) = delete;
    X11Desktop& operator=(const X11Desktop&) = delete;

    ports::DesktopState state() override;
    std::optional<ports::Application> frontApplication() override;
    std::vector<ports::Application> runningApplications() override;
    core::Point pointer() override;
    core::Signal<>& changed() override { return changed_; }

    /// Asked at each switch: whether the window manager slides the new workspace in.
    void setSwitchAnimates(std::function<bool()> animates) { animates_ = std::move(animates); }
    /// Where the desktop has an overview of its own (GNOME Shell, KWin on
    /// X11), whether it shows; `overviewChanged` is to be called when it may have changed.
    void setOverview(std::function<bool()> showing) { overview_ = std::move(showing); }
    void overviewChanged() { noteChange(); }

private:
    std::optional<ports::Application> applicationOf(xcb_window_t window);
    void switched();
    void noteChange();
    std::vector<ports::Window> windows();

    Connection& connection_;
    core::Scheduler& scheduler_;
    DesktopEntryMatcher matcher_;
    std::function<bool()> animates_;
    std::function<bool()> overview_;
    int handler_ = 0;
    core::Connection mirrorChanges_;
    double switchEnds_ = -1.0;
    core::Timer switchTimer_;
    bool dirty_ = true;
    bool queued_ = false;
    ports::DesktopState cached_;
    core::Signal<> changed_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace quorvel::x11
