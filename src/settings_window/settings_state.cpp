#include "settings_window/settings_state.h"

namespace quorvel::settings_window {

namespace {
struct TabInfo {
    SettingsTab tab;
    std::string_view name;
    std::string_view title;
    std::string_view icon;
};

// Icon-theme names that carry the meaning of the original symbols: a gear, two
// displays, a key and an ellipsis.
constexpr std::array<TabInfo, 4> kTabs{{
    {SettingsTab::appearance, "appearance", "General", "preferences-system"},
    {SettingsTab::exclude, "exclude", "Rules", "video-display"},
    {SettingsTab::shortcuts, "shortcuts", "Shortcuts", "preferences-desktop-keyboard"},
    {SettingsTab::more, "more", "More", "view-more"},
}};

const TabInfo& info(SettingsTab tab) {
    return kTabs[static_cast<std::size_t>(tab)];
}
}  // namespace

std::string_view tabName(SettingsTab tab) {
    return info(tab).name;
}
std::string_view tabTitle(SettingsTab tab) {
    return info(tab).title;
}
std::string_view tabIconName(SettingsTab tab) {
    return info(tab).icon;
}

std::optional<SettingsTab> parseSettingsTab(std::string_view name) {
    for (const TabInfo& t : kTabs) {
        if (t.name == name) return t.tab;
    }
    return std::nullopt;
}

}  // namespace quorvel::settings_window
