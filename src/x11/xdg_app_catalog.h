#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ports/app_catalog.h"

namespace quorvel::x11 {

/// The keys of a file's [Desktop Entry] group, values unescaped.
struct ParsedEntry {
    std::map<std::string, std::string> values;
};

/// The [Desktop Entry] group of a desktop file; nothing when the file cannot
/// be read or does not open with that group.
std::optional<ParsedEntry> parseDesktopFile(const std::filesystem::path& file);

/// The applications installed as desktop entries in the XDG data directories.
/// Toolkit-free: it reads the files itself.
class XdgAppCatalog final : public ports::AppCatalog {
public:
    /// Directories and locale come from the environment ($XDG_DATA_HOME,
    /// $XDG_DATA_DIRS, $LC_ALL / $LC_MESSAGES / $LANG).
    XdgAppCatalog();
    /// Explicit `applications` directories, most important first, and a locale
    /// such as "de_DE.UTF-8" (empty: no localized names).
    XdgAppCatalog(std::vector<std::filesystem::path> applicationDirs, std::string locale);

    std::optional<std::string> locate(const std::string& bundleId) const override;
    std::optional<ports::DesktopEntry> read(const std::string& location) const override;
    std::string iconForFile(const std::string& path) const override;
    std::vector<ports::DesktopEntry> installedApplications() const override;
    std::vector<ports::DesktopEntry> hiddenApplications() const override;
    /// Forgets the scan so that the next question reads the directories again.
    void rescan() const override;

    /// The `applications` directories the environment names, most important first.
    static std::vector<std::filesystem::path> applicationDirsFromEnvironment();
    /// The messages locale the environment names ("" when unset or "C"/"POSIX").
    static std::string localeFromEnvironment();
    /// The desktop-file id of a file under one of the directories ("kde4/a.desktop"
    /// is "kde4-a"); for a file elsewhere, its name without ".desktop".
    std::string idForLocation(const std::filesystem::path& location) const;

private:
    struct Scanned {
        ports::DesktopEntry entry;
        bool hidden = false;     // Hidden=true: deleted at this level, shadows lower ones
        bool noDisplay = false;  // installed, but not offered in application lists
    };
    const std::map<std::string, Scanned>& scan() const;
    ports::DesktopEntry entryFrom(const ParsedEntry& parsed, const std::string& location) const;

    std::vector<std::filesystem::path> dirs_;
    std::string locale_;
    mutable std::optional<std::map<std::string, Scanned>> byId_;
};

}  // namespace quorvel::x11
