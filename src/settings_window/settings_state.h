#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "core/signal.h"

namespace quorvel::settings_window {

/// The four tabs of the settings window, in the order of the tab bar.
enum class SettingsTab { appearance, exclude, shortcuts, more };

inline constexpr std::array<SettingsTab, 4> allSettingsTabs{
    SettingsTab::appearance, SettingsTab::exclude, SettingsTab::shortcuts, SettingsTab::more};

/// The name a caller asks for the tab by: "appearance", "exclude", "shortcuts", "more".
std::string_view tabName(SettingsTab tab);
/// The tab bar's text: "General", "Rules", "Shortcuts", "More".
std::string_view tabTitle(SettingsTab tab);
/// The freedesktop icon-theme name of the tab's icon.
std::string_view tabIconName(SettingsTab tab);
/// Exact match of a tab name; nothing for any other text.
std::optional<SettingsTab> parseSettingsTab(std::string_view name);

/// Which tab the settings window shows; callers set it before opening the window.
class SettingsState {
public:
    SettingsTab selectedTab() const { return selectedTab_; }
    /// Tells `selectedTabChanged` when the tab differs from the shown one.
    void setSelectedTab(SettingsTab tab) {
        if (tab == selectedTab_) return;
        selectedTab_ = tab;
        selectedTabChanged.emit(tab);
    }

    core::Signal<SettingsTab> selectedTabChanged;

private:
    SettingsTab selectedTab_ = SettingsTab::appearance;
};

}  // namespace quorvel::settings_window
