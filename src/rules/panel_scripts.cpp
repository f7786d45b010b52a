#include "rules/panel_scripts.h"

#include <algorithm>
#include <sstream>

namespace quorvel::rules {

namespace {

bool isTokenChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_' || c == '.' || c == ':' || c == ',';
}

// The values end up inside quoted shell and script text: anything but plain
// tokens is refused rather than quoted.
bool isToken(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), isTokenChar);
}

}  // namespace

std::optional<std::map<std::string, std::string>> parsePanelValues(std::string_view text) {
    std::map<std::string, std::string> values;
    std::istringstream words{std::string(text)};
    std::string word;
    while (words >> word) {
        const auto eq = word.find('=');
        if (eq == std::string::npos) return std::nullopt;
        std::string id = word.substr(0, eq);
        std::string value = word.substr(eq + 1);
        if (!isToken(id) || !isToken(value)) return std::nullopt;
        values[id] = value;
    }
    return values;
}

std::optional<PanelSetting> readSetting(const PanelElementScripts& scripts, std::string_view text) {
    auto values = parsePanelValues(text);
    if (!values) return std::nullopt;
    PanelSetting setting;
    setting.autoHide = isHidden(scripts, *values);
    for (const auto& [id, value] : *values) {
        if (!setting.raw.empty()) setting.raw += ' ';
        setting.raw += id + "=" + value;
    }
    return setting;
}

bool isHidden(const PanelElementScripts& scripts,
              const std::map<std::string, std::string>& values) {
    return !values.empty() && std::all_of(values.begin(), values.end(), [&](const auto& entry) {
        return entry.second == scripts.hiddenValue;
    });
}

std::string writeScript(const PanelElementScripts& scripts, std::string_view value) {
    std::string text = scripts.write;
    static constexpr std::string_view placeholder = "%VALUE%";
    for (auto at = text.find(placeholder); at != std::string::npos;
         at = text.find(placeholder, at + value.size())) {
        text.replace(at, placeholder.size(), value);
    }
    return text;
}

bool panelsMatch(const std::map<std::string, std::string>& actual, std::string_view value) {
    if (value.find('=') == std::string_view::npos) {
        return std::all_of(actual.begin(), actual.end(),
                           [&](const auto& entry) { return entry.second == value; });
    }
    const auto wanted = parsePanelValues(value);
    if (!wanted) return false;
    for (const auto& [id, v] : *wanted) {
        auto it = actual.find(id);
        if (it != actual.end() && it->second != v) return false;
    }
    return true;
}

}  // namespace quorvel::rules
