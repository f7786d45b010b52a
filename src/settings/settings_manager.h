#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/notification_center.h"
#include "core/preference_store.h"
#include "ports/app_catalog.h"
#include "settings/auto_hide_option.h"
#include "settings/excluded_app.h"
#include "settings/focus_mode.h"
#include "settings/key_combo.h"
#include "settings/notification_names.h"
#include "settings/settings_keys.h"
#include "settings/theme_mode.h"

namespace quorvel::settings {

/// The user's settings: typed getters and setters over one preference suite.
/// Nothing is cached; every getter reads the suite and every setter writes it
/// and then posts its notification. Booleans, doubles and the auto-hide text
/// have no getter of their own: read them from `defaults()` under `keys::`.
class SettingsManager {
public:
    /// Registers the default of every key and, when the suite holds nothing
    /// under "excludedApps", stores the default excluded applications there
    /// (without posting).
    SettingsManager(core::PreferenceStore& suite, core::NotificationCenter& center,
                    const ports::AppCatalog& catalog);
    SettingsManager(const SettingsManager&) = delete;
    SettingsManager& operator=(const SettingsManager&) = delete;

    core::PreferenceStore& defaults() { return suite_; }
    const core::PreferenceStore& defaults() const { return suite_; }

    // Each setter writes its key, then posts "SettingsDidChange".
    void setOverlayEnabled(bool enabled);
    void setFocusMode(FocusMode mode);
    void setGrainIntensity(double intensity);
    void setSingleMode(bool single);
    /// Stored unchanged; readers parse it with `parseAutoHideOption`.
    void setAutoHideOption(const std::string& stored);
    void setAutoHideEnabled(bool enabled);
    void setUseSlightTransparency(bool slight);
    void setTransitionDuration(double seconds);
    void setOpacityValue(double opacity);
    void setThemeMode(ThemeMode mode);

    /// Anything but "ambient" reads as `deep`.
    FocusMode focusMode() const;
    /// Anything but "Light" or "Dark" reads as `automatic`.
    ThemeMode themeMode() const;

    // A shortcut never written reads as its default; a cleared one (empty
    // bytes) or undecodable bytes read as no shortcut. Setters post their own
    // notification ("ShortcutDidChange", ...), not "SettingsDidChange".
    std::optional<KeyCombo> shortcut() const;
    void setShortcut(std::optional<KeyCombo> combo);
    std::optional<KeyCombo> focusModeShortcut() const;
    void setFocusModeShortcut(std::optional<KeyCombo> combo);
    std::optional<KeyCombo> excludeAppShortcut() const;
    void setExcludeAppShortcut(std::optional<KeyCombo> combo);

    /// The stored list, each entry with a fresh id and its current icon; an
    /// empty list when nothing decodable is stored.
    std::vector<ExcludedApp> excludedApps() const;
    /// Stores the list (with each application's current location) and posts
    /// "SettingsDidChange".
    void setExcludedApps(const std::vector<ExcludedApp>& apps);

    /// The installed colour picker and file manager, in that order; built on
    /// first use and kept.
    const std::vector<ExcludedApp>& defaultExcludedApps() const;

private:
    void registerDefaults();
    void seedExcludedApps();
    std::optional<KeyCombo> readShortcut(const char* key, KeyCombo fallback) const;
    void writeShortcut(const char* key, const std::optional<KeyCombo>& combo,
                       const char* notification);
    void write(const char* key, core::PreferenceValue value);
    std::vector<ExcludedAppData> toData(const std::vector<ExcludedApp>& apps) const;

    core::PreferenceStore& suite_;
    core::NotificationCenter& center_;
    const ports::AppCatalog& catalog_;
    mutable std::optional<std::vector<ExcludedApp>> defaultExcludedApps_;
};

}  // namespace quorvel::settings
