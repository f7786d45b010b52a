#pragma once

#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "ports/script_service.h"
#include "rules/panel_scripts.h"

namespace quorvel::sim {

/// A desktop with a dock and a top bar whose auto-hide is read and written by
/// the short scripts of `panelScripts()` ("sim read dock", "sim write top
/// 2", ...). Values follow XFCE: "0" never hides, "1" hides intelligently,
/// "2" always hides. The service can refuse as "not permitted", and it
/// records every script it ran.
class SimScriptService final : public ports::ScriptService {
public:
    ports::ScriptOutcome execute(const std::string& source) override {
        executed_.push_back(source);
        std::istringstream words(source);
        std::string sim, verb, kind, value;
        words >> sim >> verb >> kind >> std::ws;
        std::getline(words, value);
        if (refusing_ && (refusedKind_.empty() || kind == refusedKind_)) {
            return ports::ScriptOutcome::failed({ports::scriptNotPermittedError, "not yet"});
        }
        if (sim != "sim") return ports::ScriptOutcome::notCompiled();
        if (verb == "read") {
            std::string out;
            for (const auto& [id, v] : panels_[kind]) out += id + "=" + v + " ";
            return ports::ScriptOutcome::returned(out);
        }
        if (verb == "write") write(kind, value);
        return ports::ScriptOutcome::returned({});
    }

    /// The table that drives this desktop; `withTop` false models a
    /// desktop whose top bar has no auto-hide.
    static rules::PanelScripts panelScripts(bool withTop = true) {
        rules::PanelScripts scripts{
            "Sim",      element("dock"), std::nullopt, "sim open settings", "sim open fallback",
            "sim probe"};
        if (withTop) scripts.top = element("top");
        return scripts;
    }

    // The panels: kind is "dock" or "top"; each kind may hold several.
    void setPanel(const std::string& kind, const std::string& id, const std::string& value) {
        panels_[kind][id] = value;
    }
    std::string value(const std::string& kind, const std::string& id) const {
        return panels_.at(kind).at(id);
    }
    /// While true every script (or only those of one kind of panel) fails
    /// with the "not permitted" error number.
    void setRefusing(bool refusing, std::string kind = {}) {
        refusing_ = refusing;
        refusedKind_ = std::move(kind);
    }
    const std::vector<std::string>& executed() const { return executed_; }

private:
    static rules::PanelElementScripts element(const std::string& kind) {
        return {"sim read " + kind, "sim write " + kind + " %VALUE%", "2", "0"};
    }
    /// One value for every panel of the kind, or the "id=value" pairs of a read.
    void write(const std::string& kind, const std::string& value) {
        const auto pairs = rules::parsePanelValues(value);
        for (auto& [id, v] : panels_[kind]) {
            if (value.find('=') == std::string::npos) {
                v = value;
            } else if (pairs && pairs->contains(id)) {
                v = pairs->at(id);
            }
        }
    }

    std::map<std::string, std::map<std::string, std::string>> panels_{{"dock", {{"dock-1", "0"}}},
                                                                      {"top", {{"top-1", "0"}}}};
    bool refusing_ = false;
    std::string refusedKind_;
    std::vector<std::string> executed_;
};

}  // namespace quorvel::sim
