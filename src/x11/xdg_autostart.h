#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "ports/autostart_entry.h"

namespace quorvel::x11 {

/// Start at login through an XDG autostart entry, "quorvel.desktop" in the
/// user's autostart directory. The entry is the only record: its presence,
/// not Hidden and not disabled for GNOME, means enabled.
class XdgAutostart final : public ports::AutostartEntry {
public:
    static constexpr const char* kEntryName = "quorvel.desktop";

    /// Directories from the environment ($XDG_CONFIG_HOME, else ~/.config;
    /// $XDG_CONFIG_DIRS, else /etc/xdg), the program from `programPath()`.
    XdgAutostart();
    /// `userDir` is the user's autostart directory, `systemDirs` the
    /// system-wide ones (most important first), `program` the Exec= path.
    XdgAutostart(std::filesystem::path userDir, std::vector<std::filesystem::path> systemDirs,
                 std::string program);

    bool isEnabled() const override;
    std::optional<std::string> enable() override;
    std::optional<std::string> disable() override;

    /// The user's entry, whether or not it exists.
    std::filesystem::path entryPath() const { return userDir_ / kEntryName; }
    const std::string& program() const { return program_; }

    /// The installed `quorvel` on $PATH, else the running executable; empty
    /// when neither can be found.
    static std::string programPath();
    /// The entry's text for `program` (exposed for tests).
    static std::string entryText(const std::string& program);
    /// `program` quoted for Exec= (desktop-entry quoting and escaping).
    static std::string execValue(const std::string& program);

private:
    std::optional<std::filesystem::path> systemEntry() const;
    std::optional<std::string> writeEntry(const std::string& text) const;

    std::filesystem::path userDir_;
    std::vector<std::filesystem::path> systemDirs_;
    std::string program_;
};

}  // namespace quorvel::x11
