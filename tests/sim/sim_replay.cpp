#include "sim/sim_replay.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <sstream>

namespace quorvel::sim {

namespace {

using Words = std::vector<std::string>;

std::optional<Words> tokenize(const std::string& line) {
    Words words;
    std::size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ' || line[i] == '\t' || line[i] == '\r') {
            ++i;
        } else if (line[i] == '#') {
            break;
        } else if (line[i] == '"') {
            const std::size_t close = line.find('"', i + 1);
            if (close == std::string::npos) return std::nullopt;
            words.push_back(line.substr(i + 1, close - i - 1));
            i = close + 1;
        } else {
            std::size_t end = line.find_first_of(" \t\r", i);
            if (end == std::string::npos) end = line.size();
            words.push_back(line.substr(i, end - i));
            i = end;
        }
    }
    return words;
}

std::optional<double> number(const std::string& word) {
    try {
        std::size_t used = 0;
        const double value = std::stod(word, &used);
        if (used != word.size()) return std::nullopt;
        return value;
    } catch (...) {
        return std::nullopt;
    }
}

/// Numbers from words[first] on; nothing unless all `count` are numbers.
std::optional<std::vector<double>> numbers(const Words& words, std::size_t first,
                                           std::size_t count) {
    if (words.size() < first + count) return std::nullopt;
    std::vector<double> values;
    for (std::size_t i = first; i < first + count; ++i) {
        auto value = number(words[i]);
        if (!value) return std::nullopt;
        values.push_back(*value);
    }
    return values;
}

std::optional<bool> onOff(const Words& words) {
    if (words.size() != 2) return std::nullopt;
    if (words[1] == "on") return true;
    if (words[1] == "off") return false;
    return std::nullopt;
}

}  // namespace

std::optional<Script> parseScript(const std::string& text, std::string& error) {
    Script script;
    std::istringstream in(text);
    std::string line;
    for (int lineNumber = 1; std::getline(in, line); ++lineNumber) {
        auto words = tokenize(line);
        if (!words) {
            error = "line " + std::to_string(lineNumber) + ": unclosed quote";
            return std::nullopt;
        }
        if (words->empty()) continue;
        auto time = number(words->front());
        if (!time || *time < 0 || words->size() < 2) {
            error = "line " + std::to_string(lineNumber) + ": expected <seconds> <command>";
            return std::nullopt;
        }
        words->erase(words->begin());
        script.endTime = std::max(script.endTime, *time);
        if (words->front() == "end") continue;
        script.events.push_back({*time, std::move(*words), lineNumber});
    }
    std::stable_sort(script.events.begin(), script.events.end(),
                     [](const ScriptEvent& a, const ScriptEvent& b) { return a.time < b.time; });
    return script;
}

bool SimReplay::run(const Script& script, std::ostream& out) {
    bool ok = true;
    std::vector<core::Timer> pending;
    for (const auto& event : script.events) {
        pending.push_back(harness_.scheduler().after(
            event.time, core::TimerMode::Common, [this, &event, &out, &ok] {
                std::string error;
                if (!apply(event.words, error)) {
                    out << "line " << event.line << ": " << error << '\n';
                    ok = false;
                }
            }));
    }
    const int ticks = static_cast<int>(script.endTime / 0.1 + 0.5) + 1;
    harness_.advance(0.0);
    for (int tick = 1; tick <= ticks && ok; ++tick) {
        harness_.ticks(1);
        char stamp[16];
        std::snprintf(stamp, sizeof stamp, "%6.1f  ", tick * 0.1);
        out << stamp << harness_.desktop().describeStacking() << '\n';
    }
    return ok;
}

bool SimReplay::apply(const Words& words, std::string& error) {
    if (words.empty()) return error = "empty command", false;
    return applyWindows(words, error);
}

bool SimReplay::applyWindows(const Words& w, std::string& error) {
    SimDesktop& desktop = harness_.desktop();
    const std::string& command = w.front();
    auto wantNumbers = [&](std::size_t count) { return numbers(w, 1, count); };
    auto id = [&](double value) { return static_cast<std::uint32_t>(value); };
    auto window = [&](double value) { return static_cast<std::int64_t>(value); };

    if (command == "monitor" || command == "resize") {
        auto v = wantNumbers(5);
        if (!v) return error = command + " <id> <x> <y> <w> <h>", false;
        const core::Rect frame{(*v)[1], (*v)[2], (*v)[3], (*v)[4]};
        if (command == "monitor")
            desktop.addMonitor(frame, id((*v)[0]));
        else
            desktop.setMonitorFrame(id((*v)[0]), frame);
    } else if (command == "unplug" && wantNumbers(1)) {
        desktop.removeMonitor(id((*wantNumbers(1))[0]));
    } else if (command == "window") {
        auto n = numbers(w, 1, 1);
        auto v = numbers(w, 3, 4);
        if (!n || !v) return error = "window <number> <owner> <x> <y> <w> <h> ...", false;
        WindowSpec spec{w[2], {(*v)[0], (*v)[1], (*v)[2], (*v)[3]}, "", 0, window((*n)[0])};
        for (std::size_t i = 7; i < w.size(); ++i) {
            if (w[i] == "layer" && i + 1 < w.size() && number(w[i + 1])) {
                spec.layer = static_cast<std::int32_t>(*number(w[++i]));
            } else if (w[i] == "title") {
                for (++i; i < w.size(); ++i) spec.title += (spec.title.empty() ? "" : " ") + w[i];
            } else {
                return error = "unknown window option '" + w[i] + "'", false;
            }
        }
        desktop.addWindow(spec);
    } else if (command == "move") {
        auto v = wantNumbers(5);
        if (!v) return error = "move <number> <x> <y> <w> <h>", false;
        desktop.moveWindow(window((*v)[0]), {(*v)[1], (*v)[2], (*v)[3], (*v)[4]});
    } else if ((command == "raise" || command == "close" || command == "hide" ||
                command == "show") &&
               wantNumbers(1)) {
        const std::int64_t n = window((*wantNumbers(1))[0]);
        if (command == "raise") desktop.raiseWindow(n);
        if (command == "close") desktop.closeWindow(n);
        if (command == "hide" || command == "show") desktop.setWindowHidden(n, command == "hide");
    } else {
        return applySession(w, error);
    }
    return true;
}

bool SimReplay::applySession(const Words& w, std::string& error) {
    SimDesktop& desktop = harness_.desktop();
    app::AppContext& context = harness_.context();
    const std::string& command = w.front();
    auto wantNumbers = [&](std::size_t count) { return numbers(w, 1, count); };
    auto id = [&](double value) { return static_cast<std::uint32_t>(value); };

    if (command == "front" && w.size() >= 2) {
        if (w[1] == "none")
            desktop.setFrontmostApplication(std::nullopt);
        else
            desktop.setFrontmostApplication(
                ports::RunningApplication{w[1], w.size() > 2 ? w[2] : w[1]});
    } else if (command == "pointer" && wantNumbers(2)) {
        auto v = *wantNumbers(2);
        desktop.movePointer({v[0], v[1]});
    } else if (command == "overview" && w.size() == 2 && w[1] == "auto") {
        desktop.setOverviewShowing(std::nullopt);
    } else if (command == "overview" && onOff(w)) {
        desktop.setOverviewShowing(*onOff(w));
    } else if (command == "slide" && wantNumbers(2)) {
        auto v = *wantNumbers(2);
        desktop.slideWallpaper(id(v[0]), v[1]);
    } else if (command == "focus" && onOff(w)) {
        if (*onOff(w))
            context.overlayController().startMonitoring();
        else
            context.overlayController().stopMonitoring();
    } else if (command == "single" && onOff(w)) {
        context.overlayController().setSingleMode(*onOff(w));
    } else if (command == "exclude" && w.size() >= 2) {
        context.excludedAppsManager().addApp(
            {settings::makeUuid(), w.size() > 2 ? w[2] : w[1], w[1], ""});
    } else if (command == "include" && w.size() == 2) {
        context.excludedAppsManager().removeApp(w[1]);
    } else if (command == "duration" && wantNumbers(1)) {
        context.settingsManager().setTransitionDuration((*wantNumbers(1))[0]);
    } else {
        error = "cannot read '" + command + "' with these arguments";
        return false;
    }
    return true;
}

}  // namespace quorvel::sim
