#include "x11/xdg_autostart.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <system_error>

namespace quorvel::x11 {

namespace fs = std::filesystem;

namespace {

std::string envOr(const char* name, std::string fallback) {
    const char* value = std::getenv(name);
    return value && *value ? std::string(value) : fallback;
}

std::vector<std::string> split(const std::string& text, char sep) {
    std::vector<std::string> parts;
    std::stringstream in(text);
    for (std::string part; std::getline(in, part, sep);) {
        if (!part.empty()) parts.push_back(part);
    }
    return parts;
}

std::string trim(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

// The keys of the [Desktop Entry] group; nothing when the file cannot be read.
std::optional<std::map<std::string, std::string>> readEntry(const fs::path& path) {
    std::ifstream in(path);
    if (!in) return std::nullopt;
    std::map<std::string, std::string> keys;
    bool inMainGroup = false;
    for (std::string line; std::getline(in, line);) {
        line = trim(line);
        if (line.empty() || line[0] == '#') continue;
        if (line[0] == '[') {
            inMainGroup = line == "[Desktop Entry]";
            continue;
        }
        const auto eq = line.find('=');
        if (!inMainGroup || eq == std::string::npos) continue;
        keys.emplace(trim(line.substr(0, eq)), trim(line.substr(eq + 1)));
    }
    return keys;
}

bool isTrue(const std::string& v) {
    return v == "true" || v == "1";
}
bool isFalse(const std::string& v) {
    return v == "false" || v == "0";
}

bool entryIsActive(const fs::path& path) {
    const auto keys = readEntry(path);
    if (!keys) return false;
    if (auto it = keys->find("Hidden"); it != keys->end() && isTrue(it->second)) return false;
    if (auto it = keys->find("X-GNOME-Autostart-enabled");
        it != keys->end() && isFalse(it->second)) {
        return false;
    }
    return true;
}

bool isExecutableFile(const fs::path& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec) && ::access(path.c_str(), X_OK) == 0;
}

std::string describe(const std::string& what, const fs::path& path, const std::error_code& ec) {
    return what + " " + path.string() + ": " + ec.message();
}

}  // namespace

XdgAutostart::XdgAutostart()
    : XdgAutostart(fs::path(envOr("XDG_CONFIG_HOME", envOr("HOME", "") + "/.config")) / "autostart",
                   {}, programPath()) {
    // A relative XDG_CONFIG_HOME is invalid and must be ignored.
    if (!userDir_.is_absolute()) userDir_ = fs::path(envOr("HOME", "")) / ".config" / "autostart";
    for (const auto& dir : split(envOr("XDG_CONFIG_DIRS", "/etc/xdg"), ':')) {
        if (fs::path(dir).is_absolute()) systemDirs_.push_back(fs::path(dir) / "autostart");
    }
}

XdgAutostart::XdgAutostart(fs::path userDir, std::vector<fs::path> systemDirs, std::string program)
    : userDir_(std::move(userDir)),
      systemDirs_(std::move(systemDirs)),
      program_(std::move(program)) {}

std::optional<fs::path> XdgAutostart::systemEntry() const {
    for (const auto& dir : systemDirs_) {
        std::error_code ec;
        if (fs::exists(dir / kEntryName, ec)) return dir / kEntryName;
    }
    return std::nullopt;
}

bool XdgAutostart::isEnabled() const {
    std::error_code ec;
    // The user's entry overrides a system-wide one of the same name.
    if (fs::exists(entryPath(), ec)) {
        return entryIsActive(entryPath());
    }
    if (auto system = systemEntry(); system && entryIsActive(*system)) {
        return true;
    }
    return false;
}

std::optional<std::string> XdgAutostart::enable() {
    if (program_.empty()) return "the program's location is unknown";
    if (program_.find_first_of("\n\r") != std::string::npos) {
        return "the program's path cannot be written into a desktop entry";
    }
    return writeEntry(entryText(program_));
}

std::optional<std::string> XdgAutostart::disable() {
    if (systemEntry()) {
        // Removing our file would let the system-wide entry start us again.
        return writeEntry("[Desktop Entry]\nType=Application\nName=Quorvel\nHidden=true\n");
    }
    std::error_code ec;
    fs::remove(entryPath(), ec);
    if (ec) return describe("cannot remove", entryPath(), ec);
    return std::nullopt;
}

std::optional<std::string> XdgAutostart::writeEntry(const std::string& text) const {
    std::error_code ec;
    fs::create_directories(userDir_, ec);
    if (ec) return describe("cannot create", userDir_, ec);
    // Written beside the entry and renamed over it, so a session starting up
    // never reads half an entry.
    const fs::path temporary = userDir_ / (std::string(".") + kEntryName + ".tmp");
    {
        std::ofstream out(temporary, std::ios::trunc);
        out << text;
        out.flush();
        if (!out) {
            const std::error_code why(errno ? errno : EIO, std::generic_category());
            fs::remove(temporary, ec);
            return describe("cannot write", temporary, why);
        }
    }
    fs::rename(temporary, entryPath(), ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return describe("cannot write", entryPath(), ec);
    }
    return std::nullopt;
}

std::string XdgAutostart::programPath() {
    for (const auto& dir : split(envOr("PATH", ""), ':')) {
        const fs::path candidate = fs::path(dir) / "quorvel";
        if (candidate.is_absolute() && isExecutableFile(candidate)) return candidate.string();
    }
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : self.string();
}

std::string XdgAutostart::execValue(const std::string& program) {
    static constexpr const char* kReserved = " \t\n\"'\\><~|&;$*?#()`";
    std::string arg;
    if (program.find_first_of(kReserved) == std::string::npos) {
        arg = program;
    } else {
        arg = "\"";
        for (char c : program) {
            if (c == '"' || c == '`' || c == '$' || c == '\\') arg += '\\';
            arg += c;
        }
        arg += "\"";
    }
    // Field codes start with '%'; then the string-value escaping of the file.
    std::string value;
    for (char c : arg) {
        if (c == '%')
            value += "%%";
        else if (c == '\\')
            value += "\\\\";
        else
            value += c;
    }
    return value;
}

std::string XdgAutostart::entryText(const std::string& program) {
    const std::string exec = execValue(program);
    // TryExec is a plain path: only the file's string escaping applies.
    std::string tryExec;
    for (char c : program) tryExec += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Version=1.0\n"
           "Name=Quorvel\n"
           "GenericName=Focus Veil\n"
           "Comment=Veils every window but the one in front\n"
           "Exec=" +
           exec +
           "\n"
           "TryExec=" +
           tryExec +
           "\n"
           "Icon=quorvel\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

}  // namespace quorvel::x11
