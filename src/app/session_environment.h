#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace quorvel::app {

/// Reads one environment variable; nothing when it is unset.
using EnvironmentLookup = std::function<std::optional<std::string>(const std::string& name)>;

/// The process environment.
EnvironmentLookup processEnvironment();

/// The uuid of Quorvel's GNOME Shell extension.
inline constexpr const char* kGnomeExtensionUuid = "quorvel@quorvel.github.io";

/// True when the session's desktop is GNOME (XDG_CURRENT_DESKTOP names it).
bool isGnomeDesktop(const EnvironmentLookup& env);

/// True when the session's desktop is KDE Plasma (XDG_CURRENT_DESKTOP names KDE).
bool isKdeDesktop(const EnvironmentLookup& env);

/// True on a Wayland session (its socket or its session type says so).
bool isWaylandSession(const EnvironmentLookup& env);

/// Why the program cannot run in this session, as one line for the user;
/// nothing when it can. On X11 it needs the X display; on Wayland a
/// compositor that places the veil: GNOME Shell with Quorvel's extension or
/// KWin with Quorvel's effect (`compositorPlaces`: the component answers on
/// the bus), and then its own windows are Wayland windows. An empty variable
/// counts as unset.
std::optional<std::string> sessionProblem(const EnvironmentLookup& env, bool compositorPlaces);

/// Where the settings live: $XDG_CONFIG_HOME/quorvel, else ~/.config/quorvel.
/// A relative $XDG_CONFIG_HOME is ignored, as the base-directory rules say.
std::filesystem::path configDirectory(const EnvironmentLookup& env);

/// A file name part that tells displays apart: ":1.0" and "localhost:1" both
/// name display 1 of their host, so one instance per user and display.
std::string displayKey(const std::string& display);

}  // namespace quorvel::app
