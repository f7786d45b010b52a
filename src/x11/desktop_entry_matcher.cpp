#include "x11/desktop_entry_matcher.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include "x11/xdg_app_catalog.h"

namespace quorvel::x11 {

namespace {

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

double secondsNow() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

std::optional<std::string> find(const std::map<std::string, std::string>& map,
                                const std::string& key) {
    if (key.empty()) return std::nullopt;
    auto it = map.find(key);
    return it == map.end() ? std::nullopt : std::optional<std::string>(it->second);
}

}  // namespace

// Read with the catalog's own reader, so both see the same keys in the same
// file (line ends, spaces around '=', escapes).
DesktopEntryMatcher::FileKeys DesktopEntryMatcher::readFileKeys(const std::string& location) {
    FileKeys keys;
    const auto parsed = parseDesktopFile(location);
    if (!parsed) return keys;
    const auto& values = parsed->values;
    if (auto it = values.find("StartupWMClass"); it != values.end())
        keys.startupWMClass = it->second;
    if (auto it = values.find("Exec"); it != values.end()) {
        const std::string& command = it->second;
        // A quoted program may hold spaces: "/opt/My App/app" %U.
        const bool quoted = !command.empty() && command.front() == '"';
        const auto end = quoted ? command.find('"', 1) : command.find(' ');
        const std::string program =
            quoted ? command.substr(1, end == std::string::npos ? end : end - 1)
                   : command.substr(0, end);
        keys.execProgram = std::filesystem::path(program).filename().string();
    }
    return keys;
}

void DesktopEntryMatcher::index() {
    indexedAt_ = secondsNow();
    byId_.clear();
    byWmClass_.clear();
    byLowerId_.clear();
    byShortId_.clear();
    byProgram_.clear();
    for (const ports::DesktopEntry& entry : catalog_.installedApplications()) {
        if (!entry.id) continue;
        const std::string& id = *entry.id;
        byId_.emplace(id, entry);
        const FileKeys keys = readFileKeys(entry.location);
        if (!keys.startupWMClass.empty()) byWmClass_.emplace(lower(keys.startupWMClass), id);
        byLowerId_.emplace(lower(id), id);
        const auto dot = id.rfind('.');
        if (dot != std::string::npos) byShortId_.emplace(lower(id.substr(dot + 1)), id);
        if (!keys.execProgram.empty()) byProgram_.emplace(lower(keys.execProgram), id);
    }
}

MatchedEntry DesktopEntryMatcher::entryFor(const std::string& id) const {
    auto it = byId_.find(id);
    if (it == byId_.end()) return {id, id};
    const ports::DesktopEntry& e = it->second;
    return {id, e.localizedName ? *e.localizedName : e.name ? *e.name : id};
}

std::optional<MatchedEntry> DesktopEntryMatcher::lookup(const WindowIdentity& w) const {
    const std::string cls = lower(w.wmClass), instance = lower(w.instance);
    for (const auto& map : {&byWmClass_, &byLowerId_, &byShortId_}) {
        for (const std::string* key : {&cls, &instance}) {
            if (auto id = find(*map, *key)) return entryFor(*id);
        }
    }
    if (w.processName) {
        if (auto id = find(byProgram_, lower(*w.processName))) return entryFor(*id);
    }
    return std::nullopt;
}

std::optional<MatchedEntry> DesktopEntryMatcher::match(const WindowIdentity& window) {
    if (window.gtkApplicationId && catalog_.locate(*window.gtkApplicationId)) {
        if (indexedAt_ < -1e8) index();
        return entryFor(*window.gtkApplicationId);
    }
    if (indexedAt_ < -1e8) index();
    if (auto found = lookup(window)) return found;
    // A newly installed application: look again, but not on every tick.
    if (secondsNow() - indexedAt_ < 30.0) return std::nullopt;
    index();
    return lookup(window);
}

}  // namespace quorvel::x11
