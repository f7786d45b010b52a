#pragma once

// The ways of reaching a desktop that `main` picks from: each wires its
// adapters with the Qt services every desktop shares.

#include <memory>
#include <string>
#include <vector>

#include "app/desktop_ports.h"
#include "app/session_environment.h"
#include "qt/appcast_update_driver.h"
#include "qt/desktop_url_opener.h"
#include "qt/freedesktop_notifications.h"
#include "qt/process_script_service.h"
#include "qt/qt_application_presence.h"
#include "qt/qt_hint_window.h"
#include "qt/qt_tray.h"
#include "qt/session_monitor.h"
#include "qt/unity_launcher_badge.h"
#include "qt/update_dialog.h"
#include "x11/system_wall_clock.h"
#include "x11/xdg_app_catalog.h"
#include "x11/xdg_autostart.h"

namespace quorvel::look {
class LookFollower;
}
namespace quorvel::x11 {
class Connection;
}
namespace quorvel::compositor {
class CompositorClient;
}

namespace quorvel::program {

/// One way of reaching the desktop, with the Qt services all of them share.
class DesktopBackend {
public:
    explicit DesktopBackend(core::Scheduler& s) : scheduler(s) {}
    virtual ~DesktopBackend() = default;
    DesktopBackend(const DesktopBackend&) = delete;
    DesktopBackend& operator=(const DesktopBackend&) = delete;

    /// The one line that says which backend runs.
    virtual std::string describe(const app::EnvironmentLookup& env) const = 0;
    virtual app::DesktopPorts ports(const app::EnvironmentLookup& env) = 0;
    /// Draws the veils with `look`, which must outlive the backend's veils.
    virtual void follow(look::LookFollower& look) = 0;
    /// How often a glide of the look is redrawn: what one frame costs decides.
    virtual double frameRate() const = 0;
    virtual void setOnBattery(bool onBattery) { (void)onBattery; }
    /// Around the settings window: the window that had the focus gets it back.
    virtual void rememberFocus() {}
    virtual void restoreFocus() {}
    /// The name the D-Bus service reports as its backend.
    virtual const char* name() const = 0;

    core::Scheduler& scheduler;
    x11::XdgAppCatalog catalog;
    qt::QtApplicationPresence presence;
    qt::QtTray tray{scheduler};
    qt::QtHintWindow hintWindow;
    qt::SessionMonitor session;
    qt::ProcessScriptService scripts;
    qt::AppcastUpdateDriver updater{qt::AppcastUpdateDriver::Options{},
                                    std::make_unique<qt::DialogUpdatePresenter>()};
    qt::FreedesktopNotifications notifications;
    qt::UnityLauncherBadge badge;
    x11::SystemWallClock clock;
    x11::XdgAutostart autostart;
    qt::DesktopUrlOpener urlOpener;

protected:
    /// The backend's own adapters with the shared services.
    app::DesktopPorts portsWith(const app::EnvironmentLookup& env, ports::Desktop& desktop,
                                ports::VeilWindows& veils, ports::KeyboardLayout& keyboard,
                                ports::GlobalShortcuts& shortcuts);
};

/// Every adapter on the X server: any X11 window manager.
std::unique_ptr<DesktopBackend> makeX11Backend(x11::Connection& connection,
                                               core::Scheduler& scheduler,
                                               const app::EnvironmentLookup& env);

/// A compositor that places the veil itself, through Quorvel's component in
/// it (GNOME Shell's extension when `gnome`, else the KWin effect), on
/// Wayland and X11 alike; the X connection, where Quorvel's windows live on
/// an X server, serves the keyboard layout only (null: native on Wayland).
std::unique_ptr<DesktopBackend> makeCompositorBackend(compositor::CompositorClient& client,
                                                      x11::Connection* connection,
                                                      core::Scheduler& scheduler, bool gnome);

}  // namespace quorvel::program
