#pragma once

#include <map>
#include <optional>
#include <string>

#include "ports/app_catalog.h"

namespace quorvel::x11 {

/// What X tells about the application of a window.
struct WindowIdentity {
    std::optional<std::string> gtkApplicationId;  // _GTK_APPLICATION_ID
    std::string instance, wmClass;                // WM_CLASS
    std::optional<std::string> processName;       // /proc/<pid>/comm
};

/// The desktop entry a window belongs to, as a desktop-entry id and the
/// application's name.
struct MatchedEntry {
    std::string id;
    std::string name;
    bool operator==(const MatchedEntry&) const = default;
};

/// Finds the desktop entry of a window: by GTK application id, then by the
/// entries' StartupWMClass, then by the entry id against WM_CLASS, then by the
/// entry's Exec program against the process name. The installed entries are
/// indexed once and indexed again (at most every 30 s) when a window matches none.
class DesktopEntryMatcher {
public:
    explicit DesktopEntryMatcher(const ports::AppCatalog& catalog) : catalog_(catalog) {}

    std::optional<MatchedEntry> match(const WindowIdentity& window);

    /// The StartupWMClass and Exec program of a desktop file (empty when absent).
    struct FileKeys {
        std::string startupWMClass;
        std::string execProgram;
    };
    static FileKeys readFileKeys(const std::string& location);

private:
    void index();
    std::optional<MatchedEntry> lookup(const WindowIdentity& window) const;
    MatchedEntry entryFor(const std::string& id) const;

    const ports::AppCatalog& catalog_;
    std::map<std::string, ports::DesktopEntry> byId_;
    std::map<std::string, std::string> byWmClass_, byLowerId_, byShortId_, byProgram_;
    double indexedAt_ = -1e9;
};

}  // namespace quorvel::x11
