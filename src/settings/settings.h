#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/preference_store.h"
#include "settings/excluded_app.h"
#include "settings/focus_mode.h"
#include "settings/key_combo.h"
#include "settings/panel_choice.h"
#include "settings/setting.h"
#include "settings/theme_mode.h"

namespace quorvel::settings {

/// Focus mode: "ambient" reads as ambient, anything else as deep.
struct FocusModeCodec {
    std::optional<FocusMode> read(const core::PreferenceValue& v) const;
    core::PreferenceValue write(FocusMode mode) const;
};
/// Theme: "Light" and "Dark"; anything else follows the desktop.
struct ThemeModeCodec {
    std::optional<ThemeMode> read(const core::PreferenceValue& v) const;
    core::PreferenceValue write(ThemeMode mode) const;
};
/// A shortcut as its JSON text in bytes; a cleared one is kept as empty bytes
/// (so the default does not come back), and bytes that do not decode read as none.
struct ShortcutCodec {
    std::optional<std::optional<KeyCombo>> read(const core::PreferenceValue& v) const;
    core::PreferenceValue write(const std::optional<KeyCombo>& combo) const;
};
/// The excluded applications as a JSON array in bytes.
struct ExcludedAppsCodec {
    std::optional<std::vector<ExcludedAppData>> read(const core::PreferenceValue& v) const;
    core::PreferenceValue write(const std::vector<ExcludedAppData>& list) const;
};

using Shortcut = Setting<std::optional<KeyCombo>, ShortcutCodec>;

/// Every setting the user makes, each declared once with its key (the stored
/// names are kept from earlier versions, so old files read as they were),
/// type, default and range. Everything that shows or uses a setting reads it
/// here and follows its `changed`.
class Settings {
    core::PreferenceStore& store_;  // first: every setting below refers to it

public:
    /// Brings values stored by earlier versions to today's form.
    explicit Settings(core::PreferenceStore& store);
    Settings(const Settings&) = delete;
    Settings& operator=(const Settings&) = delete;

    Setting<bool> focusOn{store_, "isOverlayEnabled", true};
    Setting<FocusMode, FocusModeCodec> mode{store_, "focusMode", FocusMode::deep};
    Setting<double, Ranged> grain{store_, "grainIntensity", 0.5, {0.0, 1.0}};
    Setting<bool> singleMode{store_, "isSingleMode", false};
    Setting<bool> hidePanels{store_, "isAutoHideEnabled", false};
    Setting<PanelChoice, PanelChoiceCodec> panels{store_, "autoHideOption", PanelChoice::all};
    Setting<bool> slightTransparency{store_, "useSlightTransparency", false};
    Setting<double, Ranged> fadeDuration{store_, "transitionDuration", 0.5, {0.0, 5.0}};
    Setting<double, Ranged> opacity{store_, "opacityValue", 1.0, {0.0, 1.0}};
    Setting<ThemeMode, ThemeModeCodec> theme{store_, "themeMode", ThemeMode::automatic};
    Shortcut toggleShortcut{store_, "shortcut", KeyCombo{3, modifier::controlAltSuper}};
    Shortcut modeShortcut{store_, "focusModeShortcut", KeyCombo{46, modifier::controlAltSuper}};
    Shortcut excludeShortcut{store_, "excludeAppShortcut", KeyCombo{14, modifier::controlAltSuper}};
    Setting<std::vector<ExcludedAppData>, ExcludedAppsCodec> excludedApps{
        store_, "excludedApps", {}};

    /// Every setting back to its default but whether focus is on and the
    /// excluded applications (whose defaults depend on what is installed).
    void resetToDefaults();
    /// True once the excluded applications were ever written (even as an empty list).
    bool holdsExcludedApps() const { return store_.holdsObject(excludedApps.key()); }

private:
    void migrate();
};

}  // namespace quorvel::settings
