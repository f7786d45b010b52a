#include "settings/settings.h"

#include <string>

#include "core/log.h"

namespace quorvel::settings {

namespace {

/// Where the stored form of today's values began; older files have none.
constexpr const char* kVersionKey = "settings_version";
constexpr std::int64_t kVersion = 2;

}  // namespace

std::optional<FocusMode> FocusModeCodec::read(const core::PreferenceValue& v) const {
    const auto* text = std::get_if<std::string>(&v);
    if (!text) return std::nullopt;
    return *text == rawValue(FocusMode::ambient) ? FocusMode::ambient : FocusMode::deep;
}

core::PreferenceValue FocusModeCodec::write(FocusMode mode) const {
    return std::string(rawValue(mode));
}

std::optional<ThemeMode> ThemeModeCodec::read(const core::PreferenceValue& v) const {
    const auto* text = std::get_if<std::string>(&v);
    if (!text) return std::nullopt;
    return parseThemeMode(*text).value_or(ThemeMode::automatic);
}

core::PreferenceValue ThemeModeCodec::write(ThemeMode mode) const {
    return std::string(rawValue(mode));
}

std::optional<std::optional<KeyCombo>> ShortcutCodec::read(const core::PreferenceValue& v) const {
    const auto* bytes = std::get_if<core::Bytes>(&v);
    if (!bytes) return std::optional<KeyCombo>{};
    return KeyCombo::decode(*bytes);
}

core::PreferenceValue ShortcutCodec::write(const std::optional<KeyCombo>& combo) const {
    return combo ? combo->encode() : core::Bytes{};
}

std::optional<std::vector<ExcludedAppData>> ExcludedAppsCodec::read(
    const core::PreferenceValue& v) const {
    const auto* bytes = std::get_if<core::Bytes>(&v);
    if (!bytes) return std::nullopt;
    return decodeExcludedAppData(*bytes);
}

core::PreferenceValue ExcludedAppsCodec::write(const std::vector<ExcludedAppData>& list) const {
    // Text that is not UTF-8 cannot be stored; such an entry never comes
    // from a desktop file, so an empty list is the honest fallback.
    return encodeExcludedAppData(list).value_or(core::Bytes{'[', ']'});
}

Settings::Settings(core::PreferenceStore& store) : store_(store) {
    migrate();
}

void Settings::migrate() {
    if (store_.integerForKey(kVersionKey) >= kVersion) return;
    // The panel choice once named the top panel "menu bar" and had an
    // "as system" that meant every panel.
    if (const auto text = store_.stringForKey(panels.key())) {
        if (const auto choice = parsePanelChoice(*text)) {
            if (storedValue(*choice) != *text) {
                core::log("🪟 Panel choice '" + *text + "' is now '" +
                          std::string(storedValue(*choice)) + "'");
                store_.set(panels.key(), std::string(storedValue(*choice)));
            }
        } else {
            core::log("🪟 Unknown panel choice '" + *text + "': every panel hides");
        }
    }
    // The excluded applications are rewritten in today's field names.
    if (store_.holdsObject(excludedApps.key())) {
        if (const auto bytes = store_.dataForKey(excludedApps.key())) {
            if (auto list = decodeExcludedAppData(*bytes)) excludedApps.set(*list);
        }
    }
    store_.set(kVersionKey, kVersion);
}

void Settings::resetToDefaults() {
    focusOn.reset();
    mode.reset();
    grain.reset();
    singleMode.reset();
    hidePanels.reset();
    panels.reset();
    slightTransparency.reset();
    fadeDuration.reset();
    opacity.reset();
    theme.reset();
    toggleShortcut.reset();
    modeShortcut.reset();
    excludeShortcut.reset();
}

}  // namespace quorvel::settings
