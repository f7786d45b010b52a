#include "settings/settings_manager.h"

#include <span>
#include <string_view>

#include "settings/default_excluded_apps.h"

namespace quorvel::settings {

namespace notes = notifications;

namespace {

// The first candidate of one role that is installed and readable.
std::optional<ExcludedApp> firstInstalled(std::span<const std::string_view> candidates,
                                          const ports::AppCatalog& catalog) {
    for (std::string_view id : candidates) {
        auto location = catalog.locate(std::string(id));
        if (!location) continue;
        if (auto app = ExcludedApp::fromLocation(*location, catalog)) return app;
    }
    return std::nullopt;
}

}  // namespace

SettingsManager::SettingsManager(core::PreferenceStore& suite, core::NotificationCenter& center,
                                 const ports::AppCatalog& catalog)
    : suite_(suite), center_(center), catalog_(catalog) {
    registerDefaults();
    seedExcludedApps();
}

void SettingsManager::registerDefaults() {
    namespace d = defaultValue;
    suite_.registerDefaults({
        {keys::isOverlayEnabled, d::isOverlayEnabled},
        {keys::focusMode, std::string(rawValue(d::focusMode))},
        {keys::grainIntensity, d::grainIntensity},
        {keys::isSingleMode, d::isSingleMode},
        {keys::autoHideOption, std::string(d::autoHideOption)},
        {keys::isAutoHideEnabled, d::isAutoHideEnabled},
        {keys::useSlightTransparency, d::useSlightTransparency},
        {keys::transitionDuration, d::transitionDuration},
        {keys::opacityValue, d::opacityValue},
        {keys::themeMode, std::string(rawValue(d::themeMode))},
        {keys::shortcut, d::shortcut.encode()},
        {keys::focusModeShortcut, d::focusModeShortcut.encode()},
        {keys::excludeAppShortcut, d::excludeAppShortcut.encode()},
        {keys::settingsVersion, d::settingsVersion},
    });
}

// Only a key holding nothing at all is seeded: an empty list is the user's own
// (the excluded-applications manager decides what to do with it).
void SettingsManager::seedExcludedApps() {
    if (suite_.holdsObject(keys::excludedApps)) return;
    if (auto bytes = encodeExcludedAppData(toData(defaultExcludedApps()))) {
        suite_.set(keys::excludedApps, std::move(*bytes));
    }
}

void SettingsManager::write(const char* key, core::PreferenceValue value) {
    suite_.set(key, std::move(value));
    center_.post(notes::settingsDidChange);
}

void SettingsManager::setOverlayEnabled(bool enabled) {
    write(keys::isOverlayEnabled, enabled);
}

void SettingsManager::setFocusMode(FocusMode mode) {
    write(keys::focusMode, std::string(rawValue(mode)));
}

void SettingsManager::setGrainIntensity(double intensity) {
    write(keys::grainIntensity, intensity);
}

void SettingsManager::setSingleMode(bool single) {
    write(keys::isSingleMode, single);
}

void SettingsManager::setAutoHideOption(const std::string& stored) {
    write(keys::autoHideOption, stored);
}

void SettingsManager::setAutoHideEnabled(bool enabled) {
    write(keys::isAutoHideEnabled, enabled);
}

void SettingsManager::setUseSlightTransparency(bool slight) {
    write(keys::useSlightTransparency, slight);
}

void SettingsManager::setTransitionDuration(double seconds) {
    write(keys::transitionDuration, seconds);
}

void SettingsManager::setOpacityValue(double opacity) {
    write(keys::opacityValue, opacity);
}

void SettingsManager::setThemeMode(ThemeMode mode) {
    write(keys::themeMode, std::string(rawValue(mode)));
}

FocusMode SettingsManager::focusMode() const {
    auto raw = suite_.stringForKey(keys::focusMode);
    return raw && *raw == rawValue(FocusMode::ambient) ? FocusMode::ambient : FocusMode::deep;
}

ThemeMode SettingsManager::themeMode() const {
    auto raw = suite_.stringForKey(keys::themeMode);
    if (!raw) return ThemeMode::automatic;
    return parseThemeMode(*raw).value_or(ThemeMode::automatic);
}

std::optional<KeyCombo> SettingsManager::readShortcut(const char* key, KeyCombo fallback) const {
    if (!suite_.holdsObject(key)) return fallback;
    auto bytes = suite_.dataForKey(key);
    if (!bytes) return std::nullopt;
    return KeyCombo::decode(*bytes);
}

// A cleared shortcut is stored as empty bytes rather than removed, so that the
// registered default does not come back.
void SettingsManager::writeShortcut(const char* key, const std::optional<KeyCombo>& combo,
                                    const char* notification) {
    suite_.set(key, combo ? combo->encode() : core::Bytes{});
    center_.post(notification);
}

std::optional<KeyCombo> SettingsManager::shortcut() const {
    return readShortcut(keys::shortcut, defaultValue::shortcut);
}

void SettingsManager::setShortcut(std::optional<KeyCombo> combo) {
    writeShortcut(keys::shortcut, combo, notes::shortcutDidChange);
}

std::optional<KeyCombo> SettingsManager::focusModeShortcut() const {
    return readShortcut(keys::focusModeShortcut, defaultValue::focusModeShortcut);
}

void SettingsManager::setFocusModeShortcut(std::optional<KeyCombo> combo) {
    writeShortcut(keys::focusModeShortcut, combo, notes::focusModeShortcutDidChange);
}

std::optional<KeyCombo> SettingsManager::excludeAppShortcut() const {
    return readShortcut(keys::excludeAppShortcut, defaultValue::excludeAppShortcut);
}

void SettingsManager::setExcludeAppShortcut(std::optional<KeyCombo> combo) {
    writeShortcut(keys::excludeAppShortcut, combo, notes::excludeAppShortcutDidChange);
}

std::vector<ExcludedApp> SettingsManager::excludedApps() const {
    auto bytes = suite_.dataForKey(keys::excludedApps);
    if (!bytes) return {};
    auto stored = decodeExcludedAppData(*bytes);
    if (!stored) return {};
    std::vector<ExcludedApp> apps;
    apps.reserve(stored->size());
    for (const auto& data : *stored) {
        // The application may have moved since it was stored: prefer where it is now.
        auto location = catalog_.locate(data.bundleId);
        std::string icon = location ? catalog_.iconForFile(*location)
                                    : catalog_.iconForFile(pathFromFileUrl(data.bundleURL));
        apps.push_back({makeUuid(), data.name, data.bundleId, std::move(icon)});
    }
    return apps;
}

std::vector<ExcludedAppData> SettingsManager::toData(const std::vector<ExcludedApp>& apps) const {
    std::vector<ExcludedAppData> list;
    list.reserve(apps.size());
    for (const auto& app : apps) {
        auto location = catalog_.locate(app.bundleId);
        list.push_back({app.name, app.bundleId, fileUrl(location.value_or(std::string()))});
    }
    return list;
}

void SettingsManager::setExcludedApps(const std::vector<ExcludedApp>& apps) {
    auto bytes = encodeExcludedAppData(toData(apps));
    if (!bytes) return;
    suite_.set(keys::excludedApps, std::move(*bytes));
    center_.post(notes::settingsDidChange);
}

const std::vector<ExcludedApp>& SettingsManager::defaultExcludedApps() const {
    if (!defaultExcludedApps_) {
        std::vector<ExcludedApp> apps;
        if (auto picker = firstInstalled(defaultExcluded::colorPickerIds, catalog_)) {
            apps.push_back(std::move(*picker));
        }
        if (auto files = firstInstalled(defaultExcluded::fileManagerIds, catalog_)) {
            apps.push_back(std::move(*files));
        }
        defaultExcludedApps_ = std::move(apps);
    }
    return *defaultExcludedApps_;
}

}  // namespace quorvel::settings
