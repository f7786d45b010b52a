#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quorvel::ports {

/// What a desktop entry says about itself, each field as found (or not) in the file.
struct DesktopEntry {
    std::string location;                      // absolute path of the .desktop file
    std::optional<std::string> id;             // desktop-file id, e.g. "org.gnome.Nautilus"
    std::optional<std::string> localizedName;  // Name[<locale>] for the user's locale
    std::optional<std::string> name;           // plain Name
    std::string icon;                          // Icon= value (theme name or path), may be empty
};

/// The installed applications (desktop entries in the XDG data dirs).
class AppCatalog {
public:
    virtual ~AppCatalog() = default;
    /// Called to find an application by id; nothing when no such entry is installed.
    virtual std::optional<std::string> locate(const std::string& bundleId) const = 0;
    /// Called to open an entry at a location; nothing when the file cannot be read as one.
    virtual std::optional<DesktopEntry> read(const std::string& location) const = 0;
    /// Called for the icon of a file or entry location; empty when there is none.
    virtual std::string iconForFile(const std::string& path) const = 0;
    /// Called by the application picker; an empty list when nothing is found.
    virtual std::vector<DesktopEntry> installedApplications() const = 0;
    /// Called by the picker as the user types: entries kept out of menus (NoDisplay).
    virtual std::vector<DesktopEntry> hiddenApplications() const = 0;
    /// Called when the picker opens, so that it lists what is installed now.
    virtual void rescan() const = 0;
};

}  // namespace quorvel::ports
