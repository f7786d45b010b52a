// The one place that picks the real desktop: Qt's event loop, XCB adapters
// and the settings directory, wired into one application context.
#include "app/app_context.h"
#include "app/app_delegate.h"
#include "app/main_menu.h"
#include "app/remote_control.h"
#include "app/session_environment.h"
#include "core/log.h"
#include "desktop/x11/connection.h"
#include "desktop/x11/focus_return.h"
#include "desktop/x11/system_wall_clock.h"
#include "desktop/x11/x11_global_hotkeys.h"
#include "desktop/x11/x11_keyboard_layout.h"
#include "desktop/x11/x11_overlay_window.h"
#include "desktop/x11/x11_screens.h"
#include "desktop/x11/x11_window_list.h"
#include "desktop/x11/x11_window_server.h"
#include "desktop/x11/x11_workspace.h"
#include "desktop/x11/xdg_app_catalog.h"
#include "desktop/x11/xdg_autostart.h"
#include "rules/desktop_panel_tables.h"
#include "services/update_manager.h"
#include "settings/notification_names.h"

#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "desktop/qt/appcast_update_driver.h"
#include "desktop/qt/color_scheme_monitor.h"
#include "desktop/qt/dbus_service.h"
#include "desktop/qt/desktop_url_opener.h"
#include "desktop/qt/diagnosis.h"
#include "desktop/qt/freedesktop_notifications.h"
#include "desktop/qt/gnome_overview.h"
#include "desktop/qt/kde_overview.h"
#include "desktop/qt/power_monitor.h"
#include "desktop/qt/process_script_service.h"
#include "desktop/qt/qt_application_presence.h"
#include "desktop/qt/qt_command_line.h"
#include "desktop/qt/qt_hint_window.h"
#include "desktop/qt/qt_scheduler.h"
#include "desktop/qt/qt_status_item.h"
#include "desktop/qt/remote_command.h"
#include "desktop/qt/session_monitor.h"
#include "desktop/qt/settings_window_host.h"
#include "desktop/qt/settings_window_widget.h"
#include "desktop/qt/single_instance.h"
#include "desktop/qt/termination_signals.h"
#include "desktop/qt/unity_launcher_badge.h"
#include "desktop/qt/update_dialog.h"
#include "desktop/qt/x_connection_watch.h"
#include "settings_window/settings_controller.h"
#include "settings_window/settings_state.h"
#include "settings_window/settings_window_services.h"

namespace {

using namespace quorvel;

/// Exit status when the session cannot host the program (no X11 display).
constexpr int kNoX11Session = 2;
/// Exit status when another instance already runs for this user and display.
constexpr int kAlreadyRunning = 3;

int refuse(const std::string& line, int status) {
    std::fprintf(stderr, "%s\n", line.c_str());
    return status;
}

/// Quitting, however it is asked for (the Quit item, SIGTERM, SIGINT, SIGHUP):
/// the delegate stops focus, the veils get their fade-out, then the loop ends.
class QuitSequence {
public:
    QuitSequence(app::AppDelegate& delegate, app::AppContext& context)
        : delegate_(delegate), context_(context) {}

    void request() {
        if (requested_) return;
        requested_ = true;
        const bool veiled = context_.overlayController().isMonitoring();
        delegate_.applicationWillTerminate();
        // Wait for the fade, never longer than one transition.
        const double fade = veiled ? context_.overlayStyle().transitionDuration() : 0.0;
        const int waitMs = static_cast<int>(std::clamp(fade, 0.0, 5.0) * 1000.0) + 50;
        QTimer::singleShot(waitMs, [] { QCoreApplication::exit(0); });
    }

private:
    app::AppDelegate& delegate_;
    app::AppContext& context_;
    bool requested_ = false;
};

/// The desktop's own window overview: KWin's effects on KDE, GNOME Shell's
/// property elsewhere (which answers "not showing" where there is no Shell).
std::unique_ptr<platform::Overview> overviewFor(const std::string& desktopName) {
    if (desktopName.find("KDE") != std::string::npos) return std::make_unique<qt::KdeOverview>();
    return std::make_unique<qt::GnomeOverview>();
}

/// Everything that talks to the X server, made once the display is open.
struct X11Desktop {
    X11Desktop(x11::Connection& c, core::Scheduler& s, const std::string& desktopName)
        : connection(c), scheduler(s), overview(overviewFor(desktopName)) {}

    x11::Connection& connection;
    core::Scheduler& scheduler;
    x11::XdgAppCatalog catalog;
    x11::X11WindowList windowList{connection};
    x11::X11Screens screens{connection};
    x11::X11Workspace workspace{connection, catalog};
    x11::X11OverlayWindowFactory overlays{connection, scheduler};
    x11::X11KeyboardLayout keyboard{connection};
    x11::X11WindowServer windowServer{connection.raw()};
    std::unique_ptr<platform::Overview> overview;
    qt::QtApplicationPresence presence;
    qt::QtStatusItem statusItem{scheduler};
    qt::QtHintWindow hintWindow;
    x11::X11GlobalHotkeys hotkeys{connection};
    qt::SessionMonitor session;
    qt::ProcessScriptService scripts;
    qt::AppcastUpdateDriver updater{qt::AppcastUpdateDriver::Options{},
                                    std::make_unique<qt::DialogUpdatePresenter>()};
    qt::FreedesktopNotifications notifications;
    qt::UnityLauncherBadge badge;
    x11::SystemWallClock clock;
    x11::XdgAutostart autostart;
    x11::FocusReturn focusReturn{connection};
    qt::DesktopUrlOpener urlOpener;
    // Shown in the settings window's own menu bar.
    platform::MainMenu mainMenu{std::vector{app::makeApplicationMenu()}};

    app::DesktopPorts ports(const app::EnvironmentLookup& env) {
        app::DesktopPorts p{scheduler, windowList, screens, workspace,
                            *overview, overlays,   catalog, keyboard};
        p.statusItem = &statusItem;
        p.globalHotkeys = &hotkeys;
        p.hintWindow = &hintWindow;
        p.scripts = &scripts;
        p.panelScripts =
            rules::detectPanelDesktop(env("XDG_CURRENT_DESKTOP").value_or(""), scripts);
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

void flushStores(app::AppContext& context, x11::Connection& connection) {
    context.settingsStore().flush();
    context.standardStore().flush();
    connection.flush();
}

int run(QApplication& application, x11::Connection& connection, const app::EnvironmentLookup& env) {
    // Before anything that may hide the panels. A signal waits in its pipe
    // until the event loop reads it, and by then `quitting` is set.
    QuitSequence* quitting = nullptr;
    qt::TerminationSignals terminationSignals([&quitting](int) {
        if (quitting) quitting->request();
    });
    qt::QtScheduler scheduler;
    qt::ColorSchemeMonitor colorScheme;  // outlives the veils that follow it
    X11Desktop desktop(connection, scheduler, env("XDG_CURRENT_DESKTOP").value_or(""));
    desktop.windowList.setSwitchAnimates([&desktop] {
        return x11::animatesWorkspaceSwitches(desktop.overlays.strategy().facts().windowManager);
    });
    const x11::DesktopFacts& facts = desktop.overlays.strategy().facts();
    core::log("🔧 Backend: X11 through XCB on display " + env("DISPLAY").value_or("") +
              " (desktop " + env("XDG_CURRENT_DESKTOP").value_or("unnamed") + ", window manager " +
              (facts.windowManager.empty() ? "none" : facts.windowManager) + ")");
    app::AppContext context(desktop.ports(env), prepareConfigDirectory(env));
    desktop.overlays.follow(context.overlayStyle(), colorScheme);
    qt::PowerMonitor power(
        [&](bool onBattery) { desktop.overlays.renderer().setOnBattery(onBattery); });
    // For bug reports and the desktop tests: every notification, as it is posted.
    if (env("QUORVEL_TRACE_NOTIFICATIONS").value_or("") == "1") {
        context.notificationCenter().setTrace(
            [](const core::Notification& n) { core::log("📣 " + n.name); });
    }

    settings_window::SettingsState settingsState;
    auto settingsServices = context.makeSettingsWindowServices();
    qt::QtSettingsWindowHost settingsHost(settingsState, settingsServices);
    settings_window::SettingsController settingsController(settingsState, settingsHost,
                                                           context.notificationCenter(), scheduler);
    context.applicationHooks().openSettings = [&] {
        settingsState.setSelectedTab(settings_window::SettingsTab::appearance);
        settingsController.showSettings();
    };
    context.applicationHooks().isSettingsWindowVisible = [&] {
        return settingsController.isWindowVisible();
    };
    context.applicationHooks().showSettingsTab = [&](const std::string& tab) {
        settingsController.showSettings(tab);
    };
    settingsHost.setFocusReturn([&] { desktop.focusReturn.remember(); },
                                [&] { desktop.focusReturn.restore(); });
    app::AppDelegate* menuTarget = nullptr;  // made below, before any window can open
    settingsHost.setMainMenu(&desktop.mainMenu, [&menuTarget](const std::string& action) {
        return menuTarget && menuTarget->performMenuAction(action);
    });

    // The tray's Quit takes the same path as a termination signal.
    context.applicationHooks().quit = [&quitting] {
        if (quitting) quitting->request();
    };
    app::AppDelegate delegate(context, desktop.windowServer, desktop.presence);
    menuTarget = &delegate;
    QuitSequence quit(delegate, context);
    quitting = &quit;
    qt::XConnectionWatch xEvents(connection, env("DISPLAY").value_or(""), [&] {
        delegate.applicationWillTerminate();
        flushStores(context, connection);
    });
    // The settings window getting the focus is this program's activation.
    QObject::connect(
        &application, &QGuiApplication::applicationStateChanged, [&](Qt::ApplicationState state) {
            if (state != Qt::ApplicationActive) return;
            delegate.applicationDidBecomeActive();
            context.notificationCenter().post(settings::notifications::applicationDidBecomeActive);
        });
    // Started only now that the update manager listens, so that the first
    // scheduled check is heard.
    desktop.updater.start();
    QObject::connect(&application, &QCoreApplication::aboutToQuit,
                     [&] { delegate.applicationWillTerminate(); });

    delegate.applicationDidFinishLaunching();
    // Scripts and `quorvel <command>` drive the same actions as the tray.
    app::RemoteControl remote(context);
    qt::DBusService dbus(remote, QStringLiteral("x11"));
    dbus.publish();
    const int status = application.exec();
    flushStores(context, connection);
    return status;
}

/// `quorvel --diagnose`: reads the desktop once and prints what it finds.
int diagnose(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const auto env = app::processEnvironment();
    std::unique_ptr<x11::Connection> connection;
    if (!app::x11SessionProblem(env)) {
        core::LogCapture quiet;  // a failed open is said in the report
        connection = std::make_unique<x11::Connection>(env("DISPLAY").value_or("").c_str());
    }
    for (const auto& line : qt::Diagnosis(connection.get(), env).report()) {
        std::printf("%s\n", line.c_str());
    }
    return 0;
}

}  // namespace

static void printHelp() {
    std::printf(
        "Usage: quorvel [--help | --version | --diagnose]\n"
        "       quorvel toggle | on | off | mode ambient | mode deep\n"
        "       quorvel exclude | include | settings | status [--json]\n\n"
        "Veils everything but the window you are working in. Quorvel lives in\n"
        "the system tray of an X11 desktop with a compositor: click the icon to\n"
        "toggle focus, Shift-click to switch the look, right-click for the menu.\n"
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
        if (const std::size_t length = qt::qtOptionLength(arg)) {
            const std::string next = i + 1 < argc ? argv[i + 1] : "";
            // Quorvel's own X connection and its session check read DISPLAY.
            const std::string display(qt::qtDisplayOption(arg, next));
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

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (qt::RemoteCommand::isCommand(args)) {
        QCoreApplication client(argc, argv);
        return qt::RemoteCommand(args).run();
    }
    if (const auto status = handleOptions(argc, argv)) return *status;
    // A log-out may come while the start is still under way; caught now, it
    // is answered once the event loop runs, by a quit that gives back what we changed.
    qt::TerminationSignals::catchEarly();
    const auto env = app::processEnvironment();
    if (auto problem = app::x11SessionProblem(env)) return refuse(*problem, kNoX11Session);
    const std::string display = env("DISPLAY").value_or("");

    // The adapter's own line about a failed open is replaced by one that says
    // what the user needs.
    auto openLog = std::make_unique<core::LogCapture>();
    x11::Connection connection(display.c_str());
    const auto openLines = openLog->lines();
    openLog.reset();
    if (connection.isOpen()) {
        for (const auto& line : openLines) core::log(line);
    } else {
        return refuse("⚠️ Quorvel needs an X11 session: cannot open display " + display,
                      kNoX11Session);
    }

    qt::SingleInstance instance(app::displayKey(display));
    if (!instance.acquire()) {
        const auto pid = instance.holderPid();
        return refuse("⚠️ Quorvel is already running on display " + display +
                          (pid > 0 ? " (process " + std::to_string(pid) + ")" : std::string()) +
                          "; not starting a second one",
                      kAlreadyRunning);
    }

    // Qt must talk to the same X server as the adapters, even where a Wayland
    // compositor is also around.
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication application(argc, argv);
    QApplication::setApplicationName("Quorvel");
    QApplication::setQuitOnLastWindowClosed(false);
    return run(application, connection, env);
}
