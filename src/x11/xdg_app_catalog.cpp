#include "x11/xdg_app_catalog.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <system_error>

#include "settings/key_combo.h"

namespace quorvel::x11 {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kSuffix = ".desktop";

std::string trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t\r");
    return std::string(text.substr(first, last - first + 1));
}

// The escapes of string values: \s \n \t \r \\.
std::string unescape(std::string_view value) {
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        const char next = value[++i];
        out += next == 's'   ? ' '
               : next == 'n' ? '\n'
               : next == 't' ? '\t'
               : next == 'r' ? '\r'
                             : next;
    }
    return out;
}

}  // namespace

// Only the [Desktop Entry] group counts; it must be the first group.
std::optional<ParsedEntry> parseDesktopFile(const fs::path& file) {
    std::ifstream in(file);
    if (!in) return std::nullopt;
    ParsedEntry parsed;
    bool inGroup = false;
    bool sawGroup = false;
    std::string line;
    while (std::getline(in, line)) {
        const std::string text = trim(line);
        if (text.empty() || text.front() == '#') continue;
        if (text.front() == '[') {
            if (sawGroup) break;
            sawGroup = true;
            inGroup = text == "[Desktop Entry]";
            if (!inGroup) return std::nullopt;
            continue;
        }
        const auto eq = text.find('=');
        if (!inGroup || eq == std::string::npos) continue;
        parsed.values.emplace(trim(std::string_view(text).substr(0, eq)),
                              unescape(trim(std::string_view(text).substr(eq + 1))));
    }
    if (!sawGroup) return std::nullopt;
    return parsed;
}

namespace {

std::optional<std::string> valueOf(const ParsedEntry& parsed, const std::string& key) {
    auto it = parsed.values.find(key);
    if (it == parsed.values.end()) return std::nullopt;
    return it->second;
}

bool isTrue(const ParsedEntry& parsed, const std::string& key) {
    return valueOf(parsed, key) == std::optional<std::string>("true");
}

bool isApplication(const ParsedEntry& parsed) {
    return valueOf(parsed, "Type") == std::optional<std::string>("Application");
}

// Name[...] keys to try for a locale "lang_COUNTRY.ENCODING@MODIFIER", most
// specific first, as the desktop-entry matching rules order them.
std::vector<std::string> localizedKeys(const std::string& locale) {
    if (locale.empty()) return {};
    std::string rest = locale;
    std::string modifier;
    if (auto at = rest.find('@'); at != std::string::npos) {
        modifier = rest.substr(at);
        rest.erase(at);
    }
    if (auto dot = rest.find('.'); dot != std::string::npos) rest.erase(dot);
    std::string lang = rest;
    std::string country;
    if (auto underscore = rest.find('_'); underscore != std::string::npos) {
        lang = rest.substr(0, underscore);
        country = rest.substr(underscore);
    }
    std::vector<std::string> keys;
    if (!country.empty() && !modifier.empty()) keys.push_back(lang + country + modifier);
    if (!country.empty()) keys.push_back(lang + country);
    if (!modifier.empty()) keys.push_back(lang + modifier);
    keys.push_back(lang);
    for (auto& key : keys) key = "Name[" + key + "]";
    return keys;
}

std::optional<std::string> localizedName(const ParsedEntry& parsed, const std::string& locale) {
    for (const auto& key : localizedKeys(locale)) {
        if (auto name = valueOf(parsed, key)) return name;
    }
    return std::nullopt;
}

bool hasSuffix(const std::string& text, std::string_view suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::string withoutSuffix(std::string text) {
    if (hasSuffix(text, kSuffix)) text.erase(text.size() - kSuffix.size());
    return text;
}

}  // namespace

XdgAppCatalog::XdgAppCatalog()
    : XdgAppCatalog(applicationDirsFromEnvironment(), localeFromEnvironment()) {}

XdgAppCatalog::XdgAppCatalog(std::vector<fs::path> applicationDirs, std::string locale)
    : dirs_(std::move(applicationDirs)), locale_(std::move(locale)) {}

std::vector<fs::path> XdgAppCatalog::applicationDirsFromEnvironment() {
    const auto env = [](const char* name) {
        const char* value = std::getenv(name);
        return std::string(value ? value : "");
    };
    std::vector<fs::path> dirs;
    std::string home = env("XDG_DATA_HOME");
    if (home.empty() || home.front() != '/') {
        home = env("HOME").empty() ? std::string() : env("HOME") + "/.local/share";
    }
    if (!home.empty()) dirs.emplace_back(fs::path(home) / "applications");
    std::string list = env("XDG_DATA_DIRS");
    if (list.empty()) list = "/usr/local/share:/usr/share";
    std::stringstream stream(list);
    std::string dir;
    while (std::getline(stream, dir, ':')) {
        // Relative entries are invalid and ignored; duplicates add nothing.
        if (dir.empty() || dir.front() != '/') continue;
        const fs::path path = fs::path(dir) / "applications";
        if (std::find(dirs.begin(), dirs.end(), path) == dirs.end()) dirs.push_back(path);
    }
    return dirs;
}

std::string XdgAppCatalog::localeFromEnvironment() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (!value || !*value) continue;
        const std::string locale = value;
        if (locale == "C" || locale == "POSIX" || locale.rfind("C.", 0) == 0) return {};
        return locale;
    }
    return {};
}

std::string XdgAppCatalog::idForLocation(const fs::path& location) const {
    const fs::path normal = location.lexically_normal();
    for (const auto& dir : dirs_) {
        const fs::path relative = normal.lexically_relative(dir.lexically_normal());
        if (relative.empty() || *relative.begin() == "..") continue;
        std::string id = withoutSuffix(relative.generic_string());
        std::replace(id.begin(), id.end(), '/', '-');
        return id;
    }
    return withoutSuffix(location.filename().string());
}

std::optional<ports::DesktopEntry> XdgAppCatalog::read(const std::string& location) const {
    auto parsed = parseDesktopFile(location);
    if (!parsed || !isApplication(*parsed)) return std::nullopt;
    return entryFrom(*parsed, location);
}

ports::DesktopEntry XdgAppCatalog::entryFrom(const ParsedEntry& parsed,
                                             const std::string& location) const {
    ports::DesktopEntry entry;
    entry.location = location;
    entry.id = idForLocation(location);
    entry.localizedName = localizedName(parsed, locale_);
    entry.name = valueOf(parsed, "Name");
    entry.icon = valueOf(parsed, "Icon").value_or("");
    return entry;
}

const std::map<std::string, XdgAppCatalog::Scanned>& XdgAppCatalog::scan() const {
    if (byId_) return *byId_;
    byId_.emplace();
    const auto options = fs::directory_options::follow_directory_symlink |
                         fs::directory_options::skip_permission_denied;
    for (const auto& dir : dirs_) {
        std::error_code ec;
        for (fs::recursive_directory_iterator it(dir, options, ec), end; !ec && it != end;
             it.increment(ec)) {
            const std::string path = it->path().string();
            if (!hasSuffix(path, kSuffix) || !it->is_regular_file(ec)) continue;
            const std::string id = idForLocation(it->path());
            if (byId_->count(id)) continue;  // a more important directory has it
            auto parsed = parseDesktopFile(path);
            if (!parsed) continue;
            // A hidden entry deletes the id at this level, whatever else it says.
            const bool hidden = isTrue(*parsed, "Hidden");
            if (!hidden && !isApplication(*parsed)) continue;
            byId_->emplace(id,
                           Scanned{entryFrom(*parsed, path), hidden, isTrue(*parsed, "NoDisplay")});
        }
    }
    return *byId_;
}

void XdgAppCatalog::rescan() const {
    byId_.reset();
}

std::optional<std::string> XdgAppCatalog::locate(const std::string& bundleId) const {
    const auto& byId = scan();
    auto it = byId.find(bundleId);
    if (it == byId.end() || it->second.hidden) return std::nullopt;
    return it->second.entry.location;
}

std::string XdgAppCatalog::iconForFile(const std::string& path) const {
    std::error_code ec;
    if (path.empty() || !fs::exists(path, ec)) return {};
    if (fs::is_directory(path, ec)) return "folder";
    if (hasSuffix(path, kSuffix)) {
        if (auto parsed = parseDesktopFile(path)) {
            if (auto icon = valueOf(*parsed, "Icon"); icon && !icon->empty()) return *icon;
        }
        return "application-x-executable";
    }
    const auto perms = fs::status(path, ec).permissions();
    if ((perms & fs::perms::owner_exec) != fs::perms::none) return "application-x-executable";
    return "text-x-generic";
}

std::vector<ports::DesktopEntry> XdgAppCatalog::hiddenApplications() const {
    std::vector<ports::DesktopEntry> apps;
    for (const auto& [id, scanned] : scan()) {
        if (!scanned.hidden && scanned.noDisplay) apps.push_back(scanned.entry);
    }
    return apps;
}

std::vector<ports::DesktopEntry> XdgAppCatalog::installedApplications() const {
    std::vector<ports::DesktopEntry> apps;
    for (const auto& [id, scanned] : scan()) {
        if (!scanned.hidden && !scanned.noDisplay) apps.push_back(scanned.entry);
    }
    const auto shown = [](const ports::DesktopEntry& e) {
        return settings::lowerCased(e.localizedName.value_or(e.name.value_or(e.id.value_or(""))));
    };
    std::stable_sort(apps.begin(), apps.end(),
                     [&](const auto& a, const auto& b) { return shown(a) < shown(b); });
    return apps;
}

}  // namespace quorvel::x11
