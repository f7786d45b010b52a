#include "rules/system_ui_manager.h"

#include <algorithm>
#include <cctype>
#include <nlohmann/json.hpp>
#include <utility>

#include "core/log.h"

namespace quorvel::rules {

namespace {

std::string text(bool value) {
    return value ? "true" : "false";
}

std::string lowered(std::string value) {
    std::transform(value.begin(), value.end(), value.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return value;
}

bool autoHideOf(const std::optional<PanelSetting>& setting) {
    return setting.has_value() && setting->autoHide;
}

}  // namespace

SystemUIManager::SystemUIManager(settings::SettingsManager& settings,
                                 core::NotificationCenter& center, core::Scheduler& scheduler,
                                 ports::ScriptService& scripts,
                                 std::optional<PanelScripts> desktop,
                                 core::PreferenceStore& standardStore, Hooks hooks)
    : settings_(settings),
      center_(center),
      scheduler_(scheduler),
      scripts_(scripts),
      desktop_(std::move(desktop)),
      standardStore_(standardStore),
      hooks_(std::move(hooks)) {
    if (desktop_) {
        restoreUncleanExit();
    } else {
        core::log("🪟 Panel auto-hide is not available on this desktop");
    }
    focusObservation_ =
        core::Observation(center_, settings::notifications::detectionStateDidChange,
                          [this](const core::Notification&) { handleFocusStateChange(); });
    settingsObservation_ =
        core::Observation(center_, settings::notifications::settingsDidChange,
                          [this](const core::Notification&) { handleSettingsChange(); });
}

SystemUIManager::~SystemUIManager() {
    stopPermissionMonitoring();
}

void SystemUIManager::handleFocusStateChange() {
    updateAutoHide(hooks_.isDetecting && hooks_.isDetecting());
}

void SystemUIManager::handleSettingsChange() {
    if (hooks_.isDetecting && hooks_.isDetecting()) updateAutoHide(true);
}

std::string SystemUIManager::storedOption() const {
    return settings_.defaults().stringForKey(settings::keys::autoHideOption).value_or("both");
}

void SystemUIManager::updateAutoHide(bool focusActive) {
    if (!desktop_) return;
    const bool enabled = settings_.defaults().boolForKey(settings::keys::isAutoHideEnabled);
    const std::string option = storedOption();
    const bool excluded = hooks_.isFrontmostExcluded && hooks_.isFrontmostExcluded();
    const AppliedState state{focusActive && !excluded, option, enabled};
    if (lastAppliedState_ == state && isCurrentAppExcluded_ == excluded) return;

    lastAppliedState_ = state;
    isCurrentAppExcluded_ = excluded;
    core::log("🪟 Applying auto-hide settings: isEnabled=" + text(focusActive) +
              ", isAutoHideEnabled=" + text(enabled) + ", option='" + option + "'");
    if (!(state.active && enabled)) {
        core::log("🪟 Focus is off or auto-hide is disabled: Restoring original system settings");
        restoreSystemSettings();
        return;
    }
    if (!hasAllOriginals()) captureSystemSettings();

    const std::string choice = lowered(option);
    bool hideDock = true;
    bool hideMenuBar = true;
    if (choice == "dock") {
        core::log("🪟 Option 'Dock': Enabling auto-hide for dock only");
        hideMenuBar = false;
    } else if (choice == "menu bar" || choice == "menubar") {
        core::log("🪟 Option 'Menu bar': Enabling auto-hide for menu bar only");
        hideDock = false;
    } else if (choice == "both") {
        core::log("🪟 Option 'Both': Enabling auto-hide for both dock and menu bar");
    } else {
        core::log("🪟 Unknown option: " + option + ", using 'Both' as default");
    }
    for (Panel panel : {Panel::dock, Panel::menuBar}) {
        const bool hide = panel == Panel::dock ? hideDock : hideMenuBar;
        if (const auto* scripts = scriptsFor(panel)) {
            ourValueFor(panel) = hide ? scripts->hiddenValue : scripts->shownValue;
        }
    }
    persistCapture();
    // The panel the option leaves out is shown, not set back to the user's value.
    setAutoHide(Panel::dock, hideDock);
    setAutoHide(Panel::menuBar, hideMenuBar);
}

const PanelElementScripts* SystemUIManager::scriptsFor(Panel panel) {
    if (!desktop_) return nullptr;
    if (panel == Panel::dock) return &desktop_->dock;
    return desktop_->menuBar ? &*desktop_->menuBar : nullptr;
}

bool SystemUIManager::hasAllOriginals() const {
    return originalDock_ && (originalMenuBar_ || !desktop_->menuBar);
}

bool SystemUIManager::hasAnyOriginal() const {
    return originalDock_ || originalMenuBar_;
}

std::optional<PanelSetting> SystemUIManager::readDirectly(Panel panel) {
    const PanelElementScripts* scripts = scriptsFor(panel);
    if (!scripts) return std::nullopt;
    const auto outcome = scripts_.execute(scripts->read);
    if (outcome.error && outcome.error->number == ports::scriptNotPermittedError) {
        captureRefused_ = true;
    }
    if (!outcome.succeeded()) return std::nullopt;
    if (std::holds_alternative<bool>(outcome.value)) return std::nullopt;
    const auto* output = std::get_if<std::string>(&outcome.value);
    return readSetting(*scripts, output ? *output : std::string());
}

void SystemUIManager::captureSystemSettings() {
    // Only what is still missing is read: a panel already hidden by us must
    // never be recorded as the user's own setting.
    captureRefused_ = false;
    for (Panel panel : {Panel::dock, Panel::menuBar}) {
        if (!originalFor(panel)) originalFor(panel) = readDirectly(panel);
    }
    core::log("🪟 Captured original system settings - Dock: " + text(autoHideOf(originalDock_)) +
              ", Menu Bar: " + text(autoHideOf(originalMenuBar_)));
}

void SystemUIManager::restoreSystemSettings() {
    if (!desktop_) return;
    if (!hasAnyOriginal()) {
        core::log("🪟 No original system settings to restore");
        return;
    }
    bool restored = true;
    for (Panel panel : {Panel::dock, Panel::menuBar}) {
        const auto& original = originalFor(panel);
        const PanelElementScripts* scripts = scriptsFor(panel);
        if (!original || !scripts || original->raw.empty()) continue;
        const std::string value = valueToRestore(panel);
        if (value.empty()) continue;
        restored = writeVerified(panel, value, original->autoHide) && restored;
    }
    core::log("🪟 Restored original system settings - Dock: " + text(autoHideOf(originalDock_)) +
              ", Menu Bar: " + text(autoHideOf(originalMenuBar_)));
    if (!restored) return;
    uncleanExitPending_ = false;
    if (standardStore_.holdsObject(capturedPanelSettingsKey)) {
        standardStore_.remove(capturedPanelSettingsKey);
        standardStore_.flush();
    }
}

std::string SystemUIManager::valueToRestore(Panel panel) {
    auto& original = *originalFor(panel);
    const std::optional<std::string> ours = ourValueFor(panel);
    if (!ours) return original.raw;
    const auto outcome = scripts_.execute(scriptsFor(panel)->read);
    const auto* text = std::get_if<std::string>(&outcome.value);
    const auto actual = outcome.succeeded() && text ? parsePanelValues(*text) : std::nullopt;
    auto mine = parsePanelValues(original.raw);
    // Unread, the panels are still taken to be as we set them, for the next try.
    if (!actual || !mine) return original.raw;
    ourValueFor(panel).reset();
    // A panel set by hand while we had it hidden keeps the user's choice,
    // which is from now on the setting to give back.
    std::string toWrite, kept, adopted;
    for (auto& [id, value] : *mine) {
        const auto it = actual->find(id);
        const bool byHand = it != actual->end() && it->second != *ours;
        if (byHand) value = it->second;
        std::string& list = byHand ? kept : toWrite;
        list += (list.empty() ? "" : " ") + id + "=" + value;
        adopted += (adopted.empty() ? "" : " ") + id + "=" + value;
    }
    if (kept.empty()) return original.raw;
    core::log("🪟 Keeping what the user set by hand while the panels were hidden: " + kept);
    original = readSetting(*scriptsFor(panel), adopted).value_or(original);
    return toWrite;
}

bool SystemUIManager::setAutoHide(Panel panel, bool hidden) {
    const PanelElementScripts* scripts = scriptsFor(panel);
    if (!scripts) {
        if (!menuBarNoticeLogged_) {
            core::log("🪟 The top bar of " + desktop_->desktop +
                      " has no auto-hide: leaving it as it is");
            menuBarNoticeLogged_ = true;
        }
        return true;
    }
    if (!originalFor(panel) && !captureRefused_) {
        // What could not be read could not be given back. A refused read is
        // different: the write is refused too, and starts the wait.
        core::log(std::string("🪟 Leaving the ") + (panel == Panel::dock ? "dock" : "menu bar") +
                  " as it is: its own setting could not be read");
        return false;
    }
    return writeVerified(panel, hidden ? scripts->hiddenValue : scripts->shownValue, hidden);
}

bool SystemUIManager::writeVerified(Panel panel, const std::string& value, bool wanted) {
    const PanelElementScripts& scripts = *scriptsFor(panel);
    const std::string write = writeScript(scripts, value);
    runScript(write);
    const auto result = runScript(scripts.read);
    std::optional<std::map<std::string, std::string>> actual;
    if (result && std::holds_alternative<std::monostate>(*result)) actual.emplace();
    if (result && std::holds_alternative<std::string>(*result)) {
        actual = parsePanelValues(std::get<std::string>(*result));
    }
    if (actual && panelsMatch(*actual, value)) return true;

    const bool actualHidden = actual && isHidden(scripts, *actual);
    core::log(std::string(panel == Panel::dock ? "🪟 Dock" : "🪟 Menu bar") +
              " auto-hide state verification failed. Expected: " + text(wanted) +
              ", Actual: " + text(actualHidden));
    runScript(write);
    return false;
}

std::optional<ports::ScriptValue> SystemUIManager::runScript(const std::string& source) {
    core::log("🪟 Executing AppleScript: " + source);
    const auto outcome = scripts_.execute(source);
    if (!outcome.compiled) {
        core::log("🪟 Failed to create AppleScript object");
        return std::nullopt;
    }
    if (outcome.error) {
        core::log("🪟 Error executing AppleScript: " + outcome.error->description);
        if (outcome.error->number == ports::scriptNotPermittedError &&
            !isWaitingForPermission_) {
            startPermissionMonitoring(
                storedOption(), settings_.defaults().boolForKey(settings::keys::isAutoHideEnabled));
        }
        return std::nullopt;
    }
    // A script that works proves that the service answers.
    if (isWaitingForPermission_) stopPermissionMonitoring();
    if (const bool* value = std::get_if<bool>(&outcome.value)) {
        core::log("🪟 AppleScript returned boolean: " + text(*value));
    } else {
        const auto* output = std::get_if<std::string>(&outcome.value);
        core::log("🪟 AppleScript returned string: " + (output ? *output : std::string("nil")));
    }
    return outcome.value;
}

void SystemUIManager::startPermissionMonitoring(const std::string& option, bool enabled) {
    pendingOption_ = option;
    pendingEnabled_ = enabled;
    if (permissionMonitorTimer_.isActive()) return;
    core::log("🪟 Starting permission monitoring");
    isWaitingForPermission_ = true;
    checkPermissionStatus();
    permissionMonitorTimer_ =
        scheduler_.repeating(1.0, core::TimerMode::Common, [this] { checkPermissionStatus(); });
}

void SystemUIManager::stopPermissionMonitoring() {
    if (!permissionMonitorTimer_.isActive()) return;
    core::log("🪟 Stopping permission monitoring");
    permissionMonitorTimer_.cancel();
    isWaitingForPermission_ = false;
    pendingOption_.reset();
    pendingEnabled_ = false;
}

void SystemUIManager::checkPermissionStatus() {
    if (!isWaitingForPermission_) {
        stopPermissionMonitoring();
        return;
    }
    if (desktop_) {
        const auto outcome = scripts_.execute(desktop_->dock.read);
        if (!outcome.compiled) return;
        if (outcome.error && outcome.error->number == ports::scriptNotPermittedError) {
            core::log("🪟 Permission check: Not yet authorized");
            return;
        }
    }
    core::log("🪟 Permission check: Authorized!");
    // Copies: the scripts run below may end the monitoring, which clears them.
    const auto option = pendingOption_;
    const bool enabled = pendingEnabled_;
    if (uncleanExitPending_) restoreSystemSettings();
    if (option) {
        core::log("🪟 Applying pending auto-hide option: " + *option);
        settings_.setAutoHideOption(*option);
        settings_.setAutoHideEnabled(enabled);
        if (hooks_.isDetecting && hooks_.isDetecting()) {
            lastAppliedState_.reset();
            updateAutoHide(true);
        }
        center_.post(settings::notifications::settingsDidChange);
    }
    stopPermissionMonitoring();
}

void SystemUIManager::openAutomationSettings() {
    if (!desktop_) return;
    const auto outcome = scripts_.execute(desktop_->openSettings);
    if (outcome.succeeded()) return;
    core::log("⚠️ Could not open the panel settings: " +
              (outcome.error ? outcome.error->description : std::string("cannot be run")));
    if (!desktop_->openSettingsFallback.empty()) scripts_.execute(desktop_->openSettingsFallback);
}

void SystemUIManager::persistCapture() {
    if (!hasAnyOriginal()) return;
    nlohmann::json record{{"desktop", desktop_->desktop}};
    record["dock"] = originalDock_ ? nlohmann::json(originalDock_->raw) : nlohmann::json();
    record["menuBar"] = originalMenuBar_ ? nlohmann::json(originalMenuBar_->raw) : nlohmann::json();
    // What we set, so that a start after a crash can tell a change by hand.
    record["dockSet"] = ourDock_ ? nlohmann::json(*ourDock_) : nlohmann::json();
    record["menuBarSet"] = ourMenuBar_ ? nlohmann::json(*ourMenuBar_) : nlohmann::json();
    const std::string dumped = record.dump();
    if (standardStore_.stringForKey(capturedPanelSettingsKey) == dumped) return;
    standardStore_.set(capturedPanelSettingsKey, dumped);
    // At once, not coalesced: the panels are hidden right after this.
    standardStore_.flush();
}

void SystemUIManager::restoreUncleanExit() {
    const auto stored = standardStore_.stringForKey(capturedPanelSettingsKey);
    if (!stored) return;
    const auto record = nlohmann::json::parse(*stored, nullptr, false);
    const auto field = [&](const char* key, const PanelElementScripts* scripts) {
        std::optional<PanelSetting> setting;
        if (scripts && record.contains(key) && record[key].is_string()) {
            setting = readSetting(*scripts, record[key].get<std::string>());
        }
        return setting;
    };
    if (!record.is_object() || !record.contains("desktop") || !record["desktop"].is_string()) {
        core::log("⚠️ Ignoring an unreadable record of captured panel settings");
        standardStore_.remove(capturedPanelSettingsKey);
        return;
    }
    if (record["desktop"].get<std::string>() != desktop_->desktop) {
        core::log("🪟 Keeping panel settings captured on " +
                  record["desktop"].get<std::string>() + " for a start on that desktop");
        return;
    }
    originalDock_ = field("dock", scriptsFor(Panel::dock));
    originalMenuBar_ = field("menuBar", scriptsFor(Panel::menuBar));
    const auto ours = [&](const char* key) {
        const bool usable = record.contains(key) && record[key].is_string() &&
                            parsePanelValues("x=" + record[key].get<std::string>()).has_value();
        return usable ? std::optional(record[key].get<std::string>()) : std::nullopt;
    };
    ourDock_ = ours("dockSet");
    ourMenuBar_ = ours("menuBarSet");
    core::log("🪟 Restoring panel settings left by an unclean exit");
    uncleanExitPending_ = true;
    restoreSystemSettings();
}

}  // namespace quorvel::rules
