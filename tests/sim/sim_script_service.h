#pragma once

#include <map>
#include <string>
#include <vector>

#include "ports/script_service.h"
#include "rules/panel_scripts.h"

namespace quorvel::sim {

/// A desktop with a dock and a top bar whose auto-hide is read and written by
/// the short scripts of `panelScripts()` ("sim read dock", "sim write top
/// 2", ...). Values follow XFCE: "0" never hides, "1" hides intelligently,
/// "2" always hides. The service can refuse as "not permitted", fail reads,
/// ignore writes, or refuse to compile, and it records every script it ran.
class SimScriptService final : public ports::ScriptService {
public:
    SimScriptService();

    ports::ScriptOutcome execute(const std::string& source) override;

    /// The table that drives this desktop; `withTop` false models a
    /// desktop whose top bar has no auto-hide.
    static rules::PanelScripts panelScripts(bool withTop = true);

    // The panels: kind is "dock" or "top"; each kind may hold several.
    void setPanel(const std::string& kind, const std::string& id, const std::string& value);
    void removePanel(const std::string& kind, const std::string& id);
    std::string value(const std::string& kind, const std::string& id) const;
    const std::map<std::string, std::string>& panels(const std::string& kind) const;

    /// While true every script fails with the "not permitted" error number.
    void setRefusing(bool refusing) { refusing_ = refusing; }
    /// The next `count` writes of this kind succeed but change nothing.
    void ignoreWrites(const std::string& kind, int count) { ignoredWrites_[kind] = count; }
    /// While true, reads of this kind fail with an ordinary error.
    void setFailingReads(const std::string& kind, bool failing) { failingReads_[kind] = failing; }
    void setCompiling(bool compiling) { compiling_ = compiling; }
    /// While true, opening the settings fails (the fallback still works).
    void setOpenFailing(bool failing) { openFailing_ = failing; }

    const std::vector<std::string>& executed() const { return executed_; }
    std::size_t writeCount() const;
    std::vector<std::string> opened() const { return opened_; }
    void clearExecuted() { executed_.clear(); }

private:
    ports::ScriptOutcome read(const std::string& kind);
    ports::ScriptOutcome write(const std::string& kind, const std::string& value);

    std::map<std::string, std::map<std::string, std::string>> panels_;
    std::map<std::string, int> ignoredWrites_;
    std::map<std::string, bool> failingReads_;
    bool refusing_ = false;
    bool compiling_ = true;
    bool openFailing_ = false;
    std::vector<std::string> executed_;
    std::vector<std::string> opened_;
};

}  // namespace quorvel::sim
