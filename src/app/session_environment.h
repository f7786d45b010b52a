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

/// Why the program cannot run in this session, as one line for the user;
/// nothing when an X11 display is reachable by name and the session is not
/// Wayland's. An empty variable counts as unset.
std::optional<std::string> x11SessionProblem(const EnvironmentLookup& env);

/// Where the settings live: $XDG_CONFIG_HOME/quorvel, else ~/.config/quorvel.
/// A relative $XDG_CONFIG_HOME is ignored, as the base-directory rules say.
std::filesystem::path configDirectory(const EnvironmentLookup& env);

/// A file name part that tells displays apart: ":1.0" and "localhost:1" both
/// name display 1 of their host, so one instance per user and display.
std::string displayKey(const std::string& display);

}  // namespace quorvel::app
