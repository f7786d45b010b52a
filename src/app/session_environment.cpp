#include "app/session_environment.h"

#include <cstdlib>

namespace quorvel::app {

namespace {

std::optional<std::string> nonEmpty(const EnvironmentLookup& env, const std::string& name) {
    auto value = env(name);
    if (value && value->empty()) return std::nullopt;
    return value;
}

}  // namespace

EnvironmentLookup processEnvironment() {
    return [](const std::string& name) -> std::optional<std::string> {
        const char* value = std::getenv(name.c_str());
        if (!value) return std::nullopt;
        return std::string(value);
    };
}

bool isGnomeDesktop(const EnvironmentLookup& env) {
    // A colon-separated list ("ubuntu:GNOME", "GNOME-Classic:GNOME").
    return nonEmpty(env, "XDG_CURRENT_DESKTOP").value_or("").find("GNOME") != std::string::npos;
}

bool isKdeDesktop(const EnvironmentLookup& env) {
    return nonEmpty(env, "XDG_CURRENT_DESKTOP").value_or("").find("KDE") != std::string::npos;
}

bool isWaylandSession(const EnvironmentLookup& env) {
    return nonEmpty(env, "WAYLAND_DISPLAY") || nonEmpty(env, "XDG_SESSION_TYPE") == "wayland";
}

std::optional<std::string> sessionProblem(const EnvironmentLookup& env, bool compositorPlaces) {
    const bool gnome = isGnomeDesktop(env);
    const bool kde = isKdeDesktop(env);
    if (isWaylandSession(env) && !((gnome || kde) && compositorPlaces)) {
        if (gnome) {
            return std::string(
                       "⚠️ Quorvel needs its GNOME Shell extension on GNOME on Wayland: "
                       "run 'gnome-extensions enable ") +
                   kGnomeExtensionUuid + "' (log out and in first if it was just installed)";
        }
        if (kde) {
            return std::string(
                "⚠️ Quorvel needs its KWin effect on KDE Plasma on Wayland: install "
                "Quorvel's package with the effect built for this KWin");
        }
        // Through Xwayland only X11 clients are visible: the "front window"
        // would be the topmost of those, and the veil could cover the native
        // window the user works in.
        const std::string desktop = nonEmpty(env, "XDG_CURRENT_DESKTOP").value_or("this desktop");
        return "⚠️ Quorvel needs an X11 session: " + desktop +
               " on Wayland is not supported yet (log in with an Xorg session)";
    }
    // GNOME and Plasma on Wayland: Quorvel's own windows are Wayland windows.
    if (isWaylandSession(env) || nonEmpty(env, "DISPLAY")) return std::nullopt;
    return "⚠️ Quorvel needs an X11 session: no display found (DISPLAY is not set)";
}

std::filesystem::path configDirectory(const EnvironmentLookup& env) {
    if (auto base = nonEmpty(env, "XDG_CONFIG_HOME")) {
        std::filesystem::path dir(*base);
        if (dir.is_absolute()) return dir / "quorvel";
    }
    const std::filesystem::path home = nonEmpty(env, "HOME").value_or("/tmp");
    return home / ".config" / "quorvel";
}

std::string displayKey(const std::string& display) {
    std::string host;
    std::string rest = display;
    if (auto colon = display.rfind(':'); colon != std::string::npos) {
        host = display.substr(0, colon);
        rest = display.substr(colon + 1);
    }
    if (host == "localhost" || host == "unix") host.clear();
    // The screen number after the dot does not make a separate display.
    if (auto dot = rest.find('.'); dot != std::string::npos) rest.resize(dot);
    std::string key = host.empty() ? rest : host + "_" + rest;
    for (char& c : key) {
        const bool safe = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') ||
                          (c >= 'A' && c <= 'Z') || c == '-' || c == '_';
        if (!safe) c = '_';
    }
    return key.empty() ? "default" : key;
}

}  // namespace quorvel::app
