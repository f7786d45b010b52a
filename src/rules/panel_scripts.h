#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace quorvel::rules {

/// The scripts that read and write the auto-hide of one kind of panel (the
/// dock, or the bar on the top edge). A desktop may have several panels of a
/// kind; a read prints one "id=value" pair per panel, separated by spaces,
/// with the desktop's own value (XFCE: 0 never, 1 intelligently, 2 always).
struct PanelElementScripts {
    std::string read;
    /// Holds "%VALUE%": either one value for every panel of the kind, or the
    /// "id=value" pairs of a read, which put each panel back as it was.
    std::string write;
    std::string hiddenValue;  // the value that hides a panel
    std::string shownValue;   // the value that never hides it
};

/// One desktop's table: the four scripts and the action that opens the
/// desktop's own panel settings.
struct PanelScripts {
    std::string desktop;  // "XFCE", "GNOME", ...
    PanelElementScripts dock;
    /// Nothing where the top bar has no auto-hide (GNOME).
    std::optional<PanelElementScripts> top;
    std::string openSettings;
    std::string openSettingsFallback;  // empty when there is none
    /// Exits 0 when this desktop's panels answer; used when the session does
    /// not name its desktop.
    std::string probe;
};

/// The user's own setting of one kind of panel as read: the exact values,
/// so that "intelligently" comes back as such, and whether they always hide.
struct PanelSetting {
    bool autoHide = false;
    std::string raw;  // "id=value" pairs as read
    bool operator==(const PanelSetting&) const = default;
};

/// The pairs of a read; nothing when the text is not a list of "id=value"
/// pairs made of letters, digits and "-_.:,". An empty text is no panels.
std::optional<std::map<std::string, std::string>> parsePanelValues(std::string_view text);

/// A read turned into a setting; nothing when the read is malformed.
std::optional<PanelSetting> readSetting(const PanelElementScripts& scripts, std::string_view text);

/// Whether every panel of the kind always hides (a panel that hides only
/// "intelligently" does not count): the Boolean the log shows.
bool isHidden(const PanelElementScripts& scripts, const std::map<std::string, std::string>& values);

/// The write script with `value` in place of "%VALUE%".
std::string writeScript(const PanelElementScripts& scripts, std::string_view value);

/// Whether a read shows every panel at `value` (a single value), or each
/// panel named in `value` (pairs) at its own value. Panels that came or went
/// since the capture are not held against it.
bool panelsMatch(const std::map<std::string, std::string>& actual, std::string_view value);

}  // namespace quorvel::rules
