#include "program/diagnosis.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "app/application.h"
#include "compositor/client/gnome_extension_setup.h"
#include "core/log.h"
#include "core/preference_store.h"
#include "core/scheduler.h"
#include "core/virtual_scheduler.h"
#include "program/remote_command.h"
#include "qt/process_script_service.h"
#include "rules/desktop_panel_tables.h"
#include "settings/settings.h"
#include "tracking/front_windows.h"
#include "x11/connection.h"
#include "x11/monitor_layout.h"
#include "x11/veil_strategy.h"
#include "x11/x11_desktop.h"
#include "x11/x11_global_shortcuts.h"
#include "x11/x11_keyboard_layout.h"
#include "x11/xdg_app_catalog.h"

namespace quorvel::program {

namespace {

std::string rect(const core::Rect& r) {
    char text[96];
    std::snprintf(text, sizeof text, "%.0fx%.0f%+.0f%+.0f", r.width, r.height, r.x, r.y);
    return text;
}

std::string windowId(std::uint64_t number) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(number));
    return text;
}

using Shortcuts = std::vector<std::pair<const char*, std::optional<settings::KeyCombo>>>;

/// The stored shortcuts, read from a copy: nothing here may write (or move
/// aside) the user's settings file.
Shortcuts storedShortcuts(const std::filesystem::path& configDir) {
    namespace fs = std::filesystem;
    const fs::path copy =
        fs::temp_directory_path() / ("quorvel-diagnose-" + std::to_string(::getpid()) + ".json");
    std::error_code ec;
    fs::copy_file(configDir / app::Application::kSettingsFileName, copy,
                  fs::copy_options::overwrite_existing, ec);
    Shortcuts keys;
    {
        core::VirtualScheduler scheduler;
        core::PreferenceStore store(copy, scheduler);
        settings::Settings settings(store);
        keys = {{"toggle focus", settings.toggleShortcut.get()},
                {"switch the look", settings.modeShortcut.get()},
                {"exclude or include", settings.excludeShortcut.get()}};
    }
    fs::remove(copy, ec);
    return keys;
}

}  // namespace

Diagnosis::Diagnosis(x11::Connection* connection, app::EnvironmentLookup env)
    : connection_(connection), env_(std::move(env)) {}

std::vector<std::string> Diagnosis::report() {
    lines_.clear();
    // The adapters log what they find; the report says it once, in order.
    core::LogCapture quiet;
    add(std::string("Quorvel ") + QUORVEL_VERSION + " diagnosis");
    session();
    if (!connection_ || !connection_->isOpen()) {
        add("X11: no display to read (" + env_("DISPLAY").value_or("DISPLAY unset") + ")");
        return lines_;
    }
    if (!shellPlacesVeil_) veil();
    monitors();
    panels();
    if (!shellPlacesVeil_) shortcuts();
    windows();
    return lines_;
}

void Diagnosis::session() {
    add("session: " + env_("XDG_SESSION_TYPE").value_or("(XDG_SESSION_TYPE unset)") + ", display " +
        env_("DISPLAY").value_or("?") +
        ", desktop: " + env_("XDG_CURRENT_DESKTOP").value_or("(XDG_CURRENT_DESKTOP unset)"));
    add(std::string("running instance: ") + (RemoteCommand::instanceRuns() ? "yes" : "no"));
    if (!app::isGnomeDesktop(env_)) return;
    // On GNOME the shell places the veil; what X shows below is Xwayland's or
    // mutter's view, not where the veil goes.
    const auto missing = compositor::GnomeExtensionSetup(false).run();
    shellPlacesVeil_ = !missing;
    add(missing ? "GNOME Shell extension: " + *missing
                : "GNOME Shell extension: answers; the shell places the veil and grabs the "
                  "shortcuts");
}

void Diagnosis::veil() {
    x11::VeilStrategyWatch watch(*connection_);
    const auto& facts = watch.facts();
    const auto choice = x11::chooseVeilStrategy(facts);
    add("window manager: " + (facts.windowManager.empty() ? "none" : facts.windowManager) +
        (facts.takesRestackRequests ? " (takes restack requests)" : " (no restack requests)"));
    if (facts.compositor.empty()) {
        add("compositor: none");
    } else {
        add("compositor: " + facts.compositor +
            (facts.compositorIsWindowManager ? " (the window manager's own)" : ""));
    }
    add(std::string("veil: ") +
        (choice.strategy == x11::VeilStrategy::managed ? "managed" : "unmanaged") + ", because " +
        choice.reason);
    add(watch.compositorRunning()
            ? "frost: Quorvel's own, drawn in the X server"
            : "frost: none (without a compositor the veil cannot be translucent)");
}

void Diagnosis::monitors() {
    x11::MonitorLayout layout(*connection_);
    int index = 0;
    for (const auto& m : layout.monitors()) {
        add("monitor " + std::to_string(++index) + ": " + m.name + " " + rect(m.frame) +
            (m.primary ? " primary" : "") + ", free of panels " + rect(m.visibleFrame));
    }
    if (index == 0) add("monitors: none found");
}

void Diagnosis::panels() {
    qt::ProcessScriptService scripts;
    const auto table = rules::detectPanelDesktop(env_("XDG_CURRENT_DESKTOP").value_or(""), scripts);
    if (!table) {
        add("panel auto-hide: no table fits this desktop (the option does nothing)");
        return;
    }
    const auto probe = scripts.execute(table->probe);
    add("panel auto-hide: the " + table->desktop + " table; its service " +
        (probe.succeeded() ? std::string("answers")
                           : "does not answer: " + (probe.error ? probe.error->description
                                                                : std::string("not run"))));
}

void Diagnosis::shortcuts() {
    if (RemoteCommand::instanceRuns()) {
        add("shortcuts: not checked (the running instance holds them)");
        return;
    }
    const auto keys = storedShortcuts(app::configDirectory(env_));
    x11::X11KeyboardLayout layout(*connection_);
    x11::X11GlobalShortcuts hotkeys(*connection_);
    std::uint32_t id = 0;
    for (const auto& [action, combo] : keys) {
        ++id;
        if (!combo) {
            add(std::string("shortcut ") + action + ": none set");
            continue;
        }
        const bool grabbed = hotkeys.grab(id, combo->keyCode, combo->modifiers);
        add(std::string("shortcut ") + action + " " + combo->displayString(layout) + ": " +
            (grabbed ? "can be grabbed"
                     : "CANNOT be grabbed (another program holds it, or no key has it)"));
        hotkeys.ungrab(id);
    }
}

static const char* kindName(ports::WindowKind kind) {
    switch (kind) {
        case ports::WindowKind::normal:
            return "normal";
        case ports::WindowKind::dialog:
            return "dialog";
        case ports::WindowKind::utility:
            return "utility";
        case ports::WindowKind::other:
            break;
    }
    return "other";
}

void Diagnosis::windows() {
    core::VirtualScheduler scheduler;
    x11::XdgAppCatalog catalog;
    x11::X11Desktop desktop(*connection_, scheduler, catalog);
    const ports::DesktopState state = desktop.state();
    add("windows, front to back (window id, kind, frame, verdict):");
    for (const auto& w : state.windows) {
        const bool front = tracking::canBeFront(w);
        add("  " + windowId(w.id) + "  " + kindName(w.kind) + "  " + rect(w.frame) + "  " +
            (front ? "can be in front" : "never in front") +
            (state.active == w.id ? ", active" : "") + (w.keepAbove ? ", kept above" : "") +
            (w.fullscreen ? ", fullscreen" : ""));
    }
}

}  // namespace quorvel::program
