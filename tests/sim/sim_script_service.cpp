#include "sim/sim_script_service.h"

#include <algorithm>
#include <sstream>

namespace quorvel::sim {

namespace {

rules::PanelElementScripts element(const std::string& kind) {
    return {"sim read " + kind, "sim write " + kind + " %VALUE%", "2", "0"};
}

}  // namespace

SimScriptService::SimScriptService() {
    panels_["dock"]["dock-1"] = "0";
    panels_["top"]["top-1"] = "0";
}

rules::PanelScripts SimScriptService::panelScripts(bool withTop) {
    rules::PanelScripts scripts;
    scripts.desktop = "Sim";
    scripts.dock = element("dock");
    if (withTop) scripts.top = element("top");
    scripts.openSettings = "sim open settings";
    scripts.openSettingsFallback = "sim open fallback";
    scripts.probe = "sim probe";
    return scripts;
}

ports::ScriptOutcome SimScriptService::execute(const std::string& source) {
    executed_.push_back(source);
    if (!compiling_) return ports::ScriptOutcome::notCompiled();
    if (refusing_) {
        return ports::ScriptOutcome::failed(
            {ports::scriptNotPermittedError, "The panel settings service does not answer yet"});
    }
    std::istringstream words(source);
    std::string sim, verb, kind;
    words >> sim >> verb >> kind;
    std::string rest;
    std::getline(words, rest);
    rest.erase(0, std::min(rest.find_first_not_of(' '), rest.size()));
    if (sim != "sim") return ports::ScriptOutcome::notCompiled();
    if (verb == "read" && panels_.count(kind)) return read(kind);
    if (verb == "write" && panels_.count(kind)) return write(kind, rest);
    if (verb == "probe") return ports::ScriptOutcome::returned({});
    if (verb == "open") {
        if (kind == "settings" && openFailing_) {
            return ports::ScriptOutcome::failed({127, "the settings program is not installed"});
        }
        opened_.push_back(kind);
        return ports::ScriptOutcome::returned({});
    }
    return ports::ScriptOutcome::failed({2, "unknown sim script: " + source});
}

ports::ScriptOutcome SimScriptService::read(const std::string& kind) {
    if (failingReads_[kind]) return ports::ScriptOutcome::failed({1, "read failed"});
    std::string out;
    for (const auto& [id, v] : panels_[kind]) out += id + "=" + v + " ";
    if (out.empty()) return ports::ScriptOutcome::returned({});
    return ports::ScriptOutcome::returned(out);
}

ports::ScriptOutcome SimScriptService::write(const std::string& kind, const std::string& value) {
    if (ignoredWrites_[kind] > 0) {
        --ignoredWrites_[kind];
        return ports::ScriptOutcome::returned({});
    }
    const auto pairs = rules::parsePanelValues(value);
    if (value.find('=') != std::string::npos && !pairs) {
        return ports::ScriptOutcome::failed({1, "malformed values"});
    }
    for (auto& [id, v] : panels_[kind]) {
        if (value.find('=') == std::string::npos) {
            v = value;
        } else if (auto it = pairs->find(id); it != pairs->end()) {
            v = it->second;
        }
    }
    return ports::ScriptOutcome::returned({});
}

void SimScriptService::setPanel(const std::string& kind, const std::string& id,
                                const std::string& value) {
    panels_[kind][id] = value;
}

void SimScriptService::removePanel(const std::string& kind, const std::string& id) {
    panels_[kind].erase(id);
}

std::string SimScriptService::value(const std::string& kind, const std::string& id) const {
    auto k = panels_.find(kind);
    if (k == panels_.end()) return {};
    auto it = k->second.find(id);
    return it == k->second.end() ? std::string() : it->second;
}

const std::map<std::string, std::string>& SimScriptService::panels(const std::string& kind) const {
    static const std::map<std::string, std::string> none;
    auto k = panels_.find(kind);
    return k == panels_.end() ? none : k->second;
}

std::size_t SimScriptService::writeCount() const {
    return static_cast<std::size_t>(
        std::count_if(executed_.begin(), executed_.end(),
                      [](const std::string& s) { return s.rfind("sim write", 0) == 0; }));
}

}  // namespace quorvel::sim
