#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quorvel::compositor {

/// What GNOME Shell says of Quorvel's extension (org.gnome.Shell.Extensions).
struct ExtensionInfo {
    bool installed = false;
    int state = 0;  // the shell's ExtensionState: 1 enabled, 2 disabled, 3 error, 4 out of date
    std::string path;
    std::string error;
};

/// The line for a shell version the extension does not declare, nothing when
/// `shellVersion`'s major version is among `declared` (or cannot be read).
std::optional<std::string> undeclaredVersionLine(const std::string& shellVersion,
                                                 const std::vector<std::string>& declared);

/// The "shell-version" list of an extension's metadata.json text.
std::vector<std::string> declaredShellVersions(const std::string& metadataJson);

/// Brings the extension up when the session is GNOME and it does not answer:
/// says in one line why (not installed, disabled, a shell version it does not
/// declare, an error), and when it is only disabled offers to enable it,
/// then waits for it to answer. Nothing when the extension answers at the
/// end, else the one line that says why it does not.
class GnomeExtensionSetup {
public:
    /// Only an interactive setup asks the user.
    explicit GnomeExtensionSetup(bool interactive) : interactive_(interactive) {}
    std::optional<std::string> run();

    /// How long to wait for the extension once enabled, in ms.
    static constexpr int kAnswerTimeoutMs = 5000;

private:
    std::optional<ExtensionInfo> info() const;
    std::string shellVersion() const;
    bool offerToEnable();
    bool waitForAnswer() const;

    bool interactive_;
};

}  // namespace quorvel::compositor
