#include "program/desktop_backend.h"

#include "compositor/client/compositor_client.h"
#include "compositor/client/compositor_desktop.h"
#include "compositor/client/compositor_shortcuts.h"
#include "compositor/client/compositor_top_bar.h"
#include "compositor/client/compositor_tray.h"
#include "compositor/client/compositor_veil_window.h"
#include "compositor/client/desktop_keyboard_layout.h"
#include "qt/gnome_overview.h"
#include "qt/kde_overview.h"
#include "rules/desktop_panel_tables.h"
#include "x11/connection.h"
#include "x11/focus_return.h"
#include "x11/x11_desktop.h"
#include "x11/x11_global_shortcuts.h"
#include "x11/x11_keyboard_layout.h"
#include "x11/x11_veil_window.h"

namespace quorvel::program {

app::DesktopPorts DesktopBackend::portsWith(const app::EnvironmentLookup& env,
                                            ports::Desktop& desktop, ports::VeilWindows& veils,
                                            ports::KeyboardLayout& keyboard,
                                            ports::GlobalShortcuts& shortcuts) {
    app::DesktopPorts p{scheduler, desktop, veils, catalog, keyboard};
    p.shortcuts = &shortcuts;
    p.tray = &tray;
    p.hintWindow = &hintWindow;
    p.scripts = &scripts;
    p.panelScripts = rules::detectPanelDesktop(env("XDG_CURRENT_DESKTOP").value_or(""), scripts);
    p.updateDriver = &updater;
    p.userNotifications = &notifications;
    p.launcherBadge = &badge;
    p.presence = &presence;
    p.wallClock = &clock;
    p.autostart = &autostart;
    p.sessionEvents = &session;
    p.urlOpener = &urlOpener;
    return p;
}

namespace {

/// The desktop's own window overview: KWin's effects on KDE, GNOME Shell's
/// property elsewhere (which answers "not showing" where there is no Shell).
std::unique_ptr<qt::OverviewProbe> overviewFor(const std::string& desktopName) {
    if (desktopName.find("KDE") != std::string::npos) return std::make_unique<qt::KdeOverview>();
    return std::make_unique<qt::GnomeOverview>();
}

class X11Backend final : public DesktopBackend {
public:
    X11Backend(x11::Connection& c, core::Scheduler& s, const std::string& desktopName)
        : DesktopBackend(s), connection(c), overview(overviewFor(desktopName)) {
        desktop.setSwitchAnimates([this] {
            return x11::animatesWorkspaceSwitches(veils.strategy().facts().windowManager);
        });
        desktop.setOverview([this] { return overview->isShowing(); });
        overviewChanges = overview->changed().connect([this] { desktop.overviewChanged(); });
    }

    std::string describe(const app::EnvironmentLookup& env) const override {
        const x11::DesktopFacts& facts = veils.strategy().facts();
        return "🔧 Backend: X11 through XCB on display " + env("DISPLAY").value_or("") +
               " (desktop " + env("XDG_CURRENT_DESKTOP").value_or("unnamed") + ", window manager " +
               (facts.windowManager.empty() ? "none" : facts.windowManager) + ")";
    }
    app::DesktopPorts ports(const app::EnvironmentLookup& env) override {
        return portsWith(env, desktop, veils, keyboard, shortcuts);
    }
    void follow(look::LookFollower& look) override { veils.follow(look); }
    double frameRate() const override { return x11::VeilRenderer::frameRate; }
    void setOnBattery(bool onBattery) override { veils.renderer().setOnBattery(onBattery); }
    void rememberFocus() override { focusReturn.remember(); }
    void restoreFocus() override { focusReturn.restore(); }
    const char* name() const override { return "x11"; }

    x11::Connection& connection;
    x11::X11Desktop desktop{connection, scheduler, catalog};
    x11::X11VeilWindows veils{connection, scheduler};
    x11::X11KeyboardLayout keyboard{connection};
    std::unique_ptr<qt::OverviewProbe> overview;
    core::Connection overviewChanges;
    x11::X11GlobalShortcuts shortcuts{connection};
    x11::FocusReturn focusReturn{connection};
};

/// The keyboard layout from the X server where Quorvel's windows live on one
/// (Xorg, Xwayland), else as the desktop's settings name it.
std::unique_ptr<ports::KeyboardLayout> layoutFor(x11::Connection* connection, bool gnome) {
    if (connection) return std::make_unique<x11::X11KeyboardLayout>(*connection);
    return std::make_unique<compositor::DesktopKeyboardLayout>(
        compositor::DesktopKeyboardLayout::readerFor(gnome));
}

class CompositorBackend final : public DesktopBackend {
public:
    CompositorBackend(compositor::CompositorClient& c, x11::Connection* x, core::Scheduler& s,
                      bool isGnome)
        : DesktopBackend(s),
          client(c),
          connection(x),
          gnome(isGnome),
          keyboard(layoutFor(x, isGnome)),
          shortcuts(client, *keyboard) {}

    std::string describe(const app::EnvironmentLookup& env) const override {
        const auto& state = client.state();
        const std::string windows =
            connection ? "Quorvel's own windows on X display " + env("DISPLAY").value_or("")
                       : "Quorvel's own windows native on Wayland";
        return std::string("🔧 Backend: ") + (gnome ? "GNOME Shell " : "KWin ") +
               state.compositorVersion + " through Quorvel's " +
               (gnome ? "extension (" : "effect (") +
               (state.session.empty() ? "unknown" : state.session) + " session; " + windows + ")";
    }
    app::DesktopPorts ports(const app::EnvironmentLookup& env) override {
        app::DesktopPorts p = portsWith(env, desktop, veils, *keyboard, shortcuts);
        // Plasma always has a tray; GNOME has one only with an extension of
        // its own, and its top bar hides only through Quorvel's.
        if (gnome) {
            p.tray = &trayItem;
            p.topBar = &topBar;
        }
        return p;
    }
    void follow(look::LookFollower& look) override { veils.follow(look); }
    // Each frame sends whole images over the bus.
    double frameRate() const override { return 20.0; }
    // The compositor gives the focus back: no client may take it on Wayland.
    void rememberFocus() override { focused = client.state().active; }
    void restoreFocus() override {
        if (focused) client.activateWindow(*focused);
        focused.reset();
    }
    const char* name() const override { return gnome ? "gnome-shell" : "kwin"; }

    compositor::CompositorClient& client;
    x11::Connection* connection;
    bool gnome;
    std::unique_ptr<ports::KeyboardLayout> keyboard;
    compositor::CompositorDesktop desktop{client};
    compositor::CompositorVeilWindows veils{client, scheduler};
    compositor::CompositorShortcuts shortcuts;
    compositor::CompositorTray trayItem{client, tray};
    compositor::CompositorTopBar topBar{client};
    std::optional<std::uint64_t> focused;
};

}  // namespace

std::unique_ptr<DesktopBackend> makeX11Backend(x11::Connection& connection,
                                               core::Scheduler& scheduler,
                                               const app::EnvironmentLookup& env) {
    return std::make_unique<X11Backend>(connection, scheduler,
                                        env("XDG_CURRENT_DESKTOP").value_or(""));
}

std::unique_ptr<DesktopBackend> makeCompositorBackend(compositor::CompositorClient& client,
                                                      x11::Connection* connection,
                                                      core::Scheduler& scheduler, bool gnome) {
    return std::make_unique<CompositorBackend>(client, connection, scheduler, gnome);
}

}  // namespace quorvel::program
