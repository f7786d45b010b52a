// The one place that picks the real desktop: Qt's event loop, XCB adapters
// and the settings directory, wired into one application context.
#include "app/app_menus.h"
#include "app/application.h"
#include "app/remote_control.h"
#include "app/session_environment.h"
#include "compositor/client/compositor_client.h"
#include "compositor/client/gnome_extension_setup.h"
#include "compositor/client/kwin_effect_setup.h"
#include "core/log.h"
#include "look/look_follower.h"
#include "program/desktop_backend.h"
#include "x11/connection.h"

#include <QApplication>
#include <QSystemTrayIcon>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "program/command_line.h"
#include "program/dbus_service.h"
#include "program/diagnosis.h"
#include "program/remote_command.h"
#include "program/single_instance.h"
#include "program/termination_signals.h"
#include "program/x_connection_watch.h"
#include "qt/color_scheme_monitor.h"
#include "qt/power_monitor.h"
#include "qt/qt_scheduler.h"
#include "qt/qt_settings_window_host.h"
#include "qt/settings_window_widget.h"
#include "settings_window/settings_controller.h"
#include "settings_window/settings_state.h"
#include "settings_window/settings_window_services.h"

namespace {

using namespace quorvel;
using program::DesktopBackend;

/// Exit status when the session cannot host the program (no X11 display).
constexpr int kNoX11Session = 2;
/// Exit status when another instance already runs for this user and display.
constexpr int kAlreadyRunning = 3;

int refuse(const std::string& line, int status) {
    std::fprintf(stderr, "%s\n", line.c_str());
    return status;
}

/// Quitting, however it is asked for (the Quit item, SIGTERM, SIGINT, SIGHUP):
/// the veils get their fade-out and the panels their own settings back, then
/// the loop ends.
class QuitSequence {
public:
    explicit QuitSequence(app::Application& application) : application_(application) {}

    void request() {
        if (requested_) return;
        requested_ = true;
        const bool veiled = application_.veils().isRunning();
        application_.quit();
        // Wait for the fade, never longer than one transition.
        const double fade = veiled ? application_.settings().fadeDuration.get() : 0.0;
        const int waitMs = static_cast<int>(std::clamp(fade, 0.0, 5.0) * 1000.0) + 50;
        QTimer::singleShot(waitMs, [] { QCoreApplication::exit(0); });
    }

private:
    app::Application& application_;
    bool requested_ = false;
};

std::filesystem::path prepareConfigDirectory(const app::EnvironmentLookup& env) {
    const auto dir = app::configDirectory(env);
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (!ec) {
        std::filesystem::permissions(dir, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::replace, ec);
    }
    if (ec) core::log("⚠️ Cannot prepare " + dir.string() + ": " + ec.message());
    return dir;
}

/// The settings window, reached from the tray menu, the D-Bus service and its
/// own menus through the application's hooks. While it shows, Quorvel has a
/// taskbar entry.
struct SettingsWindow {
    SettingsWindow(app::Application& application, core::Scheduler& scheduler,
                   DesktopBackend& desktop)
        : services(application.settingsWindowServices()),
          host(state, services),
          controller(state, host, scheduler) {
        application.hooks().showSettings = [this](const std::string& tab) {
            controller.showSettings(tab);
        };
        host.setFocusReturn([&desktop] { desktop.rememberFocus(); },
                            [&desktop] { desktop.restoreFocus(); });
        host.setMenus(app::makeAppMenus(), [&application](const std::string& action) {
            return application.perform(action);
        });
        visibility = controller.isWindowVisibleChanged.connect([&desktop](bool visible) {
            core::log(visible ? "🪟 Showing the taskbar entry" : "🪟 Hiding the taskbar entry");
            desktop.presence.setActivationPolicy(visible ? ports::ActivationPolicy::Regular
                                                         : ports::ActivationPolicy::Accessory);
        });
    }

    settings_window::SettingsState state;
    settings_window::SettingsWindowServices services;
    qt::QtSettingsWindowHost host;
    settings_window::SettingsController controller;
    core::Connection visibility;
};

/// Where no tray shows Quorvel (an X11 desktop without a tray host, GNOME
/// without Quorvel's extension) the settings window is how the user reaches
/// Quorvel, so it opens at start, with a note saying why.
void openSettingsWithoutTray(core::Scheduler& scheduler, app::Application& application,
                             ports::Tray& tray, ports::UserNotifications& notifications) {
    // A tray host may still be starting with the session.
    scheduler.dispatchAfter(3.0, [&application, &tray, &notifications] {
        if (tray.isAvailable()) return;
        const std::string note =
            "This desktop shows no tray icons, so the settings window opens at start. The "
            "shortcuts and the quorvel command (quorvel toggle) work as ever.";
        core::log("⚠️ No tray host: opening the settings window instead");
        notifications.post({"no-tray", "Quorvel", "", note, false});
        if (application.hooks().showSettings) application.hooks().showSettings("appearance");
    });
}

void flushStores(app::Application& application, x11::Connection* connection) {
    application.settingsStore().flush();
    application.standardStore().flush();
    if (connection) connection->flush();
}

int run(QApplication& qtApplication, x11::Connection* connection,
        compositor::CompositorClient* compositor, const app::EnvironmentLookup& env) {
    // Before anything that may hide the panels. A signal waits in its pipe
    // until the event loop reads it, and by then `quitting` is set.
    QuitSequence* quitting = nullptr;
    program::TerminationSignals terminationSignals([&quitting](int) {
        if (quitting) quitting->request();
    });
    qt::QtScheduler scheduler;
    qt::ColorSchemeMonitor colorScheme;  // outlives the veils that follow it
    const std::unique_ptr<DesktopBackend> backend =
        compositor ? program::makeCompositorBackend(*compositor, connection, scheduler,
                                                    app::isGnomeDesktop(env))
                   : program::makeX11Backend(*connection, scheduler, env);
    DesktopBackend& desktop = *backend;
    core::log(desktop.describe(env));
    const app::DesktopPorts ports = desktop.ports(env);
    app::Application application(ports, prepareConfigDirectory(env));
    look::LookFollower look(application.settings(), colorScheme, scheduler, desktop.frameRate());
    desktop.follow(look);
    qt::PowerMonitor power([&](bool onBattery) { desktop.setOnBattery(onBattery); });

    SettingsWindow settings(application, scheduler, desktop);
    QuitSequence quit(application);
    quitting = &quit;
    application.hooks().quit = [&quitting] {
        if (quitting) quitting->request();
    };
    std::optional<program::XConnectionWatch> xEvents;
    if (connection) {
        xEvents.emplace(*connection, env("DISPLAY").value_or(""), [&] {
            application.quit();
            flushStores(application, connection);
        });
    }
    // Started only now that the update manager listens, so that the first
    // scheduled check is heard.
    desktop.updater.start();
    QObject::connect(&qtApplication, &QCoreApplication::aboutToQuit, [&] { application.quit(); });

    // GNOME shows tray icons only through extensions (Quorvel's own among them).
    if (app::isGnomeDesktop(env))
        openSettingsWithoutTray(scheduler, application, *ports.tray, desktop.notifications);
    // Scripts and `quorvel <command>` drive the same actions as the tray.
    app::RemoteControl remote(application);
    program::DBusService dbus(remote, QString::fromLatin1(desktop.name()));
    dbus.publish();
    const int status = qtApplication.exec();
    flushStores(application, connection);
    return status;
}

/// `quorvel --diagnose`: reads the desktop once and prints what it finds.
int diagnose(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const auto env = app::processEnvironment();
    std::unique_ptr<x11::Connection> connection;
    if (!app::sessionProblem(env, app::isGnomeDesktop(env) || app::isKdeDesktop(env))) {
        core::LogCapture quiet;  // a failed open is said in the report
        connection = std::make_unique<x11::Connection>(env("DISPLAY").value_or("").c_str());
    }
    for (const auto& line : program::Diagnosis(connection.get(), env).report()) {
        std::printf("%s\n", line.c_str());
    }
    return 0;
}

/// Quorvel's component in GNOME Shell or KWin, brought up if need be; null
/// with `missing` set to the line that says why when it does not answer (on
/// X11 also said, with what going on without it means).
std::unique_ptr<compositor::CompositorClient> connectCompositor(bool gnomeDesktop,
                                                                std::string& missing) {
    const auto problem = gnomeDesktop ? compositor::GnomeExtensionSetup(true).run()
                                      : compositor::KwinEffectSetup().run();
    if (!problem) {
        return std::make_unique<compositor::CompositorClient>(
            gnomeDesktop ? "GNOME Shell's Quorvel extension" : "KWin's Quorvel effect");
    }
    missing = *problem;
    if (!app::isWaylandSession(app::processEnvironment())) {
        core::log(missing);
        core::log(gnomeDesktop ? "⚠️ Without its extension GNOME Shell keeps Quorvel's veil "
                                 "above the windows or hides it; going on with the X11 backend"
                               : "⚠️ Going on with the X11 backend, whose veil KWin restacks "
                                 "on request");
    }
    return nullptr;
}

}  // namespace

static void printHelp() {
    std::printf(
        "Usage: quorvel [--help | --version | --diagnose]\n"
        "       quorvel toggle | on | off | mode ambient | mode deep\n"
        "       quorvel exclude | include | settings | status [--json]\n\n"
        "Veils everything but the window you are working in. Quorvel lives in\n"
        "the system tray of an X11 desktop with a compositor, or of GNOME or KDE\n"
        "Plasma (Wayland or X11) through its GNOME Shell extension or KWin\n"
        "effect: click the icon to toggle focus, Shift-click to switch the look,\n"
        "right-click for the menu.\n"
        "Settings live in $XDG_CONFIG_HOME/quorvel/.\n\n"
        "The commands drive the running instance over the session bus\n"
        "(io.github.quorvel.Quorvel1): toggle, turn on or off focus, pick the\n"
        "look, exclude or include the application in front, open the settings,\n"
        "or print one status line (\"focus on, ambient\", \"focus off\"; JSON\n"
        "with --json). They exit 1 with one line when no instance runs.\n\n"
        "--diagnose prints what Quorvel sees on this desktop (window manager,\n"
        "compositor, veil, monitors, panels, shortcuts, windows) without\n"
        "starting it; attach its output to a bug report.\n");
}

/// Handles the options that end the program at once (their exit status); Qt's
/// own are left for Qt to read, and -display also names our X server.
static std::optional<int> handleOptions(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--version") {
            std::printf("quorvel %s\n", QUORVEL_VERSION);
            return 0;
        }
        if (arg == "--diagnose") return diagnose(argc, argv);
        if (const std::size_t length = program::qtOptionLength(arg)) {
            const std::string next = i + 1 < argc ? argv[i + 1] : "";
            // Quorvel's own X connection and its session check read DISPLAY.
            const std::string display(program::qtDisplayOption(arg, next));
            if (!display.empty()) setenv("DISPLAY", display.c_str(), 1);
            i += static_cast<int>(length) - 1;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            printHelp();
            return 0;
        }
        return refuse("⚠️ Unknown option '" + arg + "'; see quorvel --help", 64);
    }
    return std::nullopt;
}

/// The X server Quorvel's windows live on; null when it cannot be opened. The
/// adapter's own line about a failed open is left out: the caller says what
/// the user needs.
static std::unique_ptr<x11::Connection> openDisplay(const std::string& display) {
    auto openLog = std::make_unique<core::LogCapture>();
    auto connection = std::make_unique<x11::Connection>(display.c_str());
    const auto openLines = openLog->lines();
    openLog.reset();
    if (!connection->isOpen()) return nullptr;
    for (const auto& line : openLines) core::log(line);
    return connection;
}

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (program::RemoteCommand::isCommand(args)) {
        QCoreApplication client(argc, argv);
        return program::RemoteCommand(args).run();
    }
    if (const auto status = handleOptions(argc, argv)) return *status;
    // A log-out may come while the start is still under way; caught now, it
    // is answered once the event loop runs, by a quit that gives back what we changed.
    program::TerminationSignals::catchEarly();
    const auto env = app::processEnvironment();
    const bool gnomeDesktop = app::isGnomeDesktop(env);
    const bool compositorPlaces = gnomeDesktop || app::isKdeDesktop(env);
    // Whether the compositor's component answers can only be asked once Qt runs.
    if (auto problem = app::sessionProblem(env, compositorPlaces))
        return refuse(*problem, kNoX11Session);
    // On GNOME and Plasma on Wayland Quorvel's own windows are native there
    // and it needs no X server at all.
    const bool nativeWayland = compositorPlaces && app::isWaylandSession(env);
    const std::string display = env("DISPLAY").value_or("");
    std::unique_ptr<x11::Connection> connection;
    if (!nativeWayland && !(connection = openDisplay(display)))
        return refuse("⚠️ Quorvel needs an X11 session: cannot open display " + display,
                      kNoX11Session);

    const std::string place =
        nativeWayland ? env("WAYLAND_DISPLAY").value_or("wayland-0") : display;
    program::SingleInstance instance(app::displayKey(place));
    if (!instance.acquire()) {
        const auto pid = instance.holderPid();
        return refuse("⚠️ Quorvel is already running on display " + place +
                          (pid > 0 ? " (process " + std::to_string(pid) + ")" : std::string()) +
                          "; not starting a second one",
                      kAlreadyRunning);
    }

    // Qt must talk to the same display server as the adapters, even where
    // both are around; on Wayland Xwayland stands in where Qt's Wayland
    // plugin is missing (its own package on most distributions).
    qputenv("QT_QPA_PLATFORM", nativeWayland ? "wayland;xcb" : "xcb");
    QApplication application(argc, argv);
    QApplication::setApplicationName("Quorvel");
    // The app id on Wayland: the desktop entry the compositor shows it by.
    QApplication::setDesktopFileName("quorvel");
    QApplication::setQuitOnLastWindowClosed(false);
    std::unique_ptr<compositor::CompositorClient> shell;
    if (compositorPlaces) {
        // The component answers only the holder of Quorvel's name.
        program::claimServiceName();
        std::string missing;
        shell = connectCompositor(gnomeDesktop, missing);
        // On Wayland nothing else can place a veil.
        if (!shell && nativeWayland) return refuse(missing, kNoX11Session);
    }
    return run(application, connection.get(), shell.get(), env);
}
