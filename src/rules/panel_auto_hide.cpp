#include "rules/panel_auto_hide.h"

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

bool autoHideOf(const std::optional<PanelSetting>& setting) {
    return setting.has_value() && setting->autoHide;
}

}  // namespace

PanelAutoHide::PanelAutoHide(settings::Settings& settings, focus::FocusSession& session,
                             focus::FrontApplication& front, core::Scheduler& scheduler,
                             ports::ScriptService& scripts, std::optional<PanelScripts> desktop,
                             core::PreferenceStore& standardStore, ports::TopBar* topBar)
    : settings_(settings),
      session_(session),
      front_(front),
      scheduler_(scheduler),
      scripts_(scripts),
      desktop_(std::move(desktop)),
      standardStore_(standardStore),
      topBar_(topBar) {
    if (desktop_) {
        restoreUncleanExit();
    } else {
        core::log("🪟 Hiding panels is not available on this desktop");
    }
    for (core::Signal<>* signal : {&session.changed(), &front.changed(),
                                   &settings.hidePanels.changed(), &settings.panels.changed()}) {
        watches_.push_back(signal->connect([this] { update(); }));
    }
    update();
}

PanelAutoHide::~PanelAutoHide() {
    serviceProbe_.cancel();
}

void PanelAutoHide::update() {
    if (!desktop_) return;
    const bool focusOn = session_.isOn();
    const bool excluded = front_.isExcluded();
    const AppliedState state{focusOn && !excluded, settings_.panels.get(),
                             settings_.hidePanels.get()};
    if (lastAppliedState_ == state) return;
    lastAppliedState_ = state;
    const std::string choice(settings::storedValue(state.choice));
    core::log("🪟 Panels: focus " + std::string(focusOn ? "on" : "off") +
              (excluded ? ", the application in front is excluded" : "") + ", hiding " +
              (state.enabled ? "on" : "off") + ", choice '" + choice + "'");
    if (!(state.active && state.enabled)) {
        restoreSystemSettings();
        return;
    }
    if (!hasAllOriginals()) captureSystemSettings();
    const bool hideDock = state.choice != settings::PanelChoice::top;
    const bool hideTop = state.choice != settings::PanelChoice::dock;
    for (Panel panel : {Panel::dock, Panel::top}) {
        const bool hide = panel == Panel::dock ? hideDock : hideTop;
        if (const auto* scripts = scriptsFor(panel)) {
            ourValueFor(panel) = hide ? scripts->hiddenValue : scripts->shownValue;
        }
    }
    persistCapture();
    // The panel the choice leaves out is shown, not set back to the user's value.
    setAutoHide(Panel::dock, hideDock);
    setAutoHide(Panel::top, hideTop);
}

const PanelElementScripts* PanelAutoHide::scriptsFor(Panel panel) {
    if (!desktop_) return nullptr;
    if (panel == Panel::dock) return &desktop_->dock;
    return desktop_->top ? &*desktop_->top : nullptr;
}

bool PanelAutoHide::hasAllOriginals() const {
    return originalDock_ && (originalTop_ || !desktop_->top);
}

bool PanelAutoHide::hasAnyOriginal() const {
    return originalDock_ || originalTop_;
}

std::optional<PanelSetting> PanelAutoHide::readDirectly(Panel panel) {
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

void PanelAutoHide::captureSystemSettings() {
    // Only what is still missing is read: a panel already hidden by us must
    // never be recorded as the user's own setting.
    captureRefused_ = false;
    for (Panel panel : {Panel::dock, Panel::top}) {
        if (!originalFor(panel)) originalFor(panel) = readDirectly(panel);
    }
    core::log("🪟 The user's own panel settings: dock hidden " + text(autoHideOf(originalDock_)) +
              ", top panel hidden " + text(autoHideOf(originalTop_)));
}

void PanelAutoHide::restoreSystemSettings() {
    if (!desktop_) return;
    if (topBar_ && !desktop_->top) topBar_->setHidden(false);
    if (!hasAnyOriginal()) {
        core::log("🪟 No panel settings of the user's to give back");
        return;
    }
    bool restored = true;
    for (Panel panel : {Panel::dock, Panel::top}) {
        const auto& original = originalFor(panel);
        const PanelElementScripts* scripts = scriptsFor(panel);
        if (!original || !scripts || original->raw.empty()) continue;
        const std::string value = valueToRestore(panel);
        if (value.empty()) continue;
        restored = writeVerified(panel, value, original->autoHide) && restored;
    }
    core::log("🪟 Gave the user's panel settings back: dock hidden " +
              text(autoHideOf(originalDock_)) + ", top panel hidden " +
              text(autoHideOf(originalTop_)));
    if (!restored) return;
    uncleanExitPending_ = false;
    if (standardStore_.holdsObject(capturedPanelSettingsKey)) {
        standardStore_.remove(capturedPanelSettingsKey);
        standardStore_.flush();
    }
}

std::string PanelAutoHide::valueToRestore(Panel panel) {
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

bool PanelAutoHide::setAutoHide(Panel panel, bool hidden) {
    const PanelElementScripts* scripts = scriptsFor(panel);
    if (!scripts && topBar_) {
        topBar_->setHidden(hidden);
        return true;
    }
    if (!scripts) {
        if (!topNoticeLogged_) {
            core::log("🪟 The top panel of " + desktop_->desktop +
                      " cannot hide: leaving it as it is");
            topNoticeLogged_ = true;
        }
        return true;
    }
    if (!originalFor(panel) && !captureRefused_) {
        // What could not be read could not be given back. A refused read is
        // different: the write is refused too, and starts the wait.
        core::log(std::string("🪟 Leaving the ") + nameOf(panel) +
                  " as it is: its own setting could not be read");
        return false;
    }
    return writeVerified(panel, hidden ? scripts->hiddenValue : scripts->shownValue, hidden);
}

bool PanelAutoHide::writeVerified(Panel panel, const std::string& value, bool wanted) {
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
    core::log(std::string("🪟 The ") + nameOf(panel) + " did not take its setting: hidden " +
              text(actualHidden) + ", wanted " + text(wanted) + "; writing it once more");
    runScript(write);
    return false;
}

std::optional<ports::ScriptValue> PanelAutoHide::runScript(const std::string& source) {
    core::log("🪟 Running the panel script: " + source);
    const auto outcome = scripts_.execute(source);
    if (!outcome.compiled) {
        core::log("🪟 The panel script could not be started");
        return std::nullopt;
    }
    if (outcome.error) {
        core::log("🪟 The panel script failed: " + outcome.error->description);
        if (outcome.error->number == ports::scriptNotPermittedError) waitForService();
        return std::nullopt;
    }
    // A script that works proves that the service answers.
    serviceProbe_.cancel();
    const auto* output = std::get_if<std::string>(&outcome.value);
    if (const bool* value = std::get_if<bool>(&outcome.value)) {
        core::log("🪟 The panel script said " + text(*value));
    } else {
        core::log("🪟 The panel script said '" + (output ? *output : std::string()) + "'");
    }
    return outcome.value;
}

void PanelAutoHide::waitForService() {
    if (serviceProbe_.isActive()) return;
    core::log("🪟 The panels' settings service does not answer: asking again every second");
    serviceProbe_ = scheduler_.repeating(1.0, core::TimerMode::Common, [this] { probeService(); });
}

void PanelAutoHide::probeService() {
    const auto outcome = scripts_.execute(desktop_->dock.read);
    if (!outcome.compiled) return;
    if (outcome.error && outcome.error->number == ports::scriptNotPermittedError) return;
    core::log("🪟 The panels' settings service answers");
    serviceProbe_.cancel();
    if (uncleanExitPending_) restoreSystemSettings();
    lastAppliedState_.reset();
    update();
}

void PanelAutoHide::openPanelSettings() {
    if (!desktop_) return;
    const auto outcome = scripts_.execute(desktop_->openSettings);
    if (outcome.succeeded()) return;
    core::log("⚠️ Could not open the panel settings: " +
              (outcome.error ? outcome.error->description : std::string("cannot be run")));
    if (!desktop_->openSettingsFallback.empty()) scripts_.execute(desktop_->openSettingsFallback);
}

void PanelAutoHide::persistCapture() {
    if (!hasAnyOriginal()) return;
    nlohmann::json record{{"desktop", desktop_->desktop}};
    record["dock"] = originalDock_ ? nlohmann::json(originalDock_->raw) : nlohmann::json();
    record["top"] = originalTop_ ? nlohmann::json(originalTop_->raw) : nlohmann::json();
    // What we set, so that a start after a crash can tell a change by hand.
    record["dockSet"] = ourDock_ ? nlohmann::json(*ourDock_) : nlohmann::json();
    record["topSet"] = ourTop_ ? nlohmann::json(*ourTop_) : nlohmann::json();
    const std::string dumped = record.dump();
    if (standardStore_.stringForKey(capturedPanelSettingsKey) == dumped) return;
    standardStore_.set(capturedPanelSettingsKey, dumped);
    // At once, not coalesced: the panels are hidden right after this.
    standardStore_.flush();
}

void PanelAutoHide::restoreUncleanExit() {
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
    // Records of earlier versions named the top panel "menuBar".
    originalTop_ = field(record.contains("top") ? "top" : "menuBar", scriptsFor(Panel::top));
    const auto ours = [&](const char* key) {
        const bool usable = record.contains(key) && record[key].is_string() &&
                            parsePanelValues("x=" + record[key].get<std::string>()).has_value();
        return usable ? std::optional(record[key].get<std::string>()) : std::nullopt;
    };
    ourDock_ = ours("dockSet");
    ourTop_ = ours(record.contains("topSet") ? "topSet" : "menuBarSet");
    core::log("🪟 Restoring panel settings left by an unclean exit");
    uncleanExitPending_ = true;
    restoreSystemSettings();
}

}  // namespace quorvel::rules
