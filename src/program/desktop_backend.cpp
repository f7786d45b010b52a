#include "program/desktop_backend.h"

#include "qt/gnome_overview.h"
#include "qt/kde_overview.h"
#include "compositor/client/compositor_client.h"
#include "compositor/client/compositor_global_hotkeys.h"
#include "compositor/client/compositor_overlay_window.h"
#include "compositor/client/compositor_screens.h"
#include "compositor/client/compositor_window_list.h"
#include "compositor/client/compositor_workspace.h"
#include "x11/connection.h"
#include "x11/focus_return.h"
#include "x11/x11_global_hotkeys.h"
#include "x11/x11_keyboard_layout.h"
#include "x11/x11_overlay_window.h"
#include "x11/x11_screens.h"
#include "x11/x11_window_list.h"
#include "x11/x11_window_server.h"
#include "x11/x11_workspace.h"
#include "rules/desktop_panel_tables.h"

namespace quorvel::program {

app::DesktopPorts DesktopBackend::portsWith(
    const app::EnvironmentLookup& env, ports::WindowList& windowList, ports::Screens& screens,
    ports::Workspace& workspace, ports::Overview& overview,
    ports::OverlayWindowFactory& overlays, ports::KeyboardLayout& keyboard,
    ports::GlobalHotkeys& hotkeys) {
    app::DesktopPorts p{scheduler, windowList, screens, workspace,
                        overview,  overlays,   catalog, keyboard};
    p.globalHotkeys = &hotkeys;
    p.statusItem = &statusItem;
    p.hintWindow = &hintWindow;
    p.scripts = &scripts;
    p.panelScripts = rules::detectPanelDesktop(env("XDG_CURRENT_DESKTOP").value_or(""), scripts);
    p.updateDriver = &updater;
    p.userNotifications = &notifications;
    p.launcherBadge = &badge;
    p.presence = &presence;
    p.wallClock = &clock;
    p.loginItems = &autostart;
    p.sessionEvents = &session;
    p.mainMenu = &mainMenu;
    p.urlOpener = &urlOpener;
    return p;
}

namespace {

/// The desktop's own window overview: KWin's effects on KDE, GNOME Shell's
/// property elsewhere (which answers "not showing" where there is no Shell).
std::unique_ptr<ports::Overview> overviewFor(const std::string& desktopName) {
    if (desktopName.find("KDE") != std::string::npos) return std::make_unique<qt::KdeOverview>();
    return std::make_unique<qt::GnomeOverview>();
}

class X11Backend final : public DesktopBackend {
public:
    X11Backend(x11::Connection& c, core::Scheduler& s, const std::string& desktopName)
        : DesktopBackend(s), connection(c), overview(overviewFor(desktopName)) {
        windowList.setSwitchAnimates([this] {
            return x11::animatesWorkspaceSwitches(overlays.strategy().facts().windowManager);
        });
    }

    std::string describe(const app::EnvironmentLookup& env) const override {
        const x11::DesktopFacts& facts = overlays.strategy().facts();
        return "🔧 Backend: X11 through XCB on display " + env("DISPLAY").value_or("") +
               " (desktop " + env("XDG_CURRENT_DESKTOP").value_or("unnamed") + ", window manager " +
               (facts.windowManager.empty() ? "none" : facts.windowManager) + ")";
    }
    app::DesktopPorts ports(const app::EnvironmentLookup& env) override {
        return portsWith(env, windowList, screens, workspace, *overview, overlays, keyboard,
                         hotkeys);
    }
    ports::WindowServer& windowServer() override { return server; }
    void follow(look::OverlayStyle& style, ports::ColorSchemeSource& schemes) override {
        overlays.follow(style, schemes);
    }
    void setOnBattery(bool onBattery) override { overlays.renderer().setOnBattery(onBattery); }
    void rememberFocus() override { focusReturn.remember(); }
    void restoreFocus() override { focusReturn.restore(); }
    const char* name() const override { return "x11"; }

    x11::Connection& connection;
    x11::X11WindowList windowList{connection};
    x11::X11Screens screens{connection};
    x11::X11Workspace workspace{connection, catalog};
    x11::X11OverlayWindowFactory overlays{connection, scheduler};
    x11::X11KeyboardLayout keyboard{connection};
    x11::X11WindowServer server{connection.raw()};
    std::unique_ptr<ports::Overview> overview;
    x11::X11GlobalHotkeys hotkeys{connection};
    x11::FocusReturn focusReturn{connection};
};

class CompositorBackend final : public DesktopBackend {
public:
    CompositorBackend(compositor::CompositorClient& client, x11::Connection& c, core::Scheduler& s, bool isGnome)
        : DesktopBackend(s), shell(client), connection(c), gnome(isGnome) {}

    std::string describe(const app::EnvironmentLookup& env) const override {
        const auto& state = shell.state();
        return std::string("🔧 Backend: ") + (gnome ? "GNOME Shell " : "KWin ") +
               state.shellVersion + " through Quorvel's " + (gnome ? "extension (" : "effect (") +
               (state.session.empty() ? "unknown" : state.session) +
               " session; Quorvel's own windows on X display " + env("DISPLAY").value_or("") + ")";
    }
    app::DesktopPorts ports(const app::EnvironmentLookup& env) override {
        return portsWith(env, windowList, screens, workspace, overview, overlays, keyboard,
                         hotkeys);
    }
    ports::WindowServer& windowServer() override { return server; }
    void follow(look::OverlayStyle& style, ports::ColorSchemeSource& schemes) override {
        overlays.follow(style, schemes);
    }
    const char* name() const override { return gnome ? "gnome-shell" : "kwin"; }

    compositor::CompositorClient& shell;
    x11::Connection& connection;
    bool gnome;
    compositor::CompositorWindowList windowList{shell, scheduler};
    compositor::CompositorScreens screens{shell};
    compositor::CompositorWorkspace workspace{shell};
    compositor::CompositorOverview overview{shell};
    compositor::CompositorOverlayWindowFactory overlays{shell, scheduler};
    compositor::CompositorWindowServer server{shell};
    compositor::CompositorGlobalHotkeys hotkeys{shell};
    x11::X11KeyboardLayout keyboard{connection};
};

}  // namespace

std::unique_ptr<DesktopBackend> makeX11Backend(x11::Connection& connection,
                                               core::Scheduler& scheduler,
                                               const app::EnvironmentLookup& env) {
    return std::make_unique<X11Backend>(connection, scheduler,
                                        env("XDG_CURRENT_DESKTOP").value_or(""));
}

std::unique_ptr<DesktopBackend> makeCompositorBackend(compositor::CompositorClient& shell,
                                                 x11::Connection& connection,
                                                 core::Scheduler& scheduler, bool gnome) {
    return std::make_unique<CompositorBackend>(shell, connection, scheduler, gnome);
}

}  // namespace quorvel::program
