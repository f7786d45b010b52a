#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/signal.h"
#include "ports/app_catalog.h"
#include "settings/excluded_app.h"
#include "settings/settings.h"

namespace quorvel::rules {

/// The applications for which focus steps aside while they are in front. The
/// list is the setting; this keeps it at hand with each entry's current icon,
/// reloaded whenever the setting changes, however it was changed.
class ExcludedApps {
public:
    /// An empty list (never stored, or emptied by the user) gets the defaults
    /// again at every start: a colour picker and the file manager, where installed.
    ExcludedApps(settings::Settings& settings, const ports::AppCatalog& catalog);
    ExcludedApps(const ExcludedApps&) = delete;
    ExcludedApps& operator=(const ExcludedApps&) = delete;

    /// In the order they were added.
    const std::vector<settings::ExcludedApp>& list() const { return list_; }
    /// Exact, case-sensitive ids; an application without an id never is.
    bool isExcluded(const std::optional<std::string>& appId) const;
    /// Appends, unless an entry with the same id is listed.
    void add(const settings::ExcludedApp& app);
    /// The entry for the installed application `appId`; false when it is not installed.
    bool addInstalled(const std::string& appId);
    /// Removes the entry with that id, if any.
    void remove(const std::string& appId);
    /// Back to the defaults for what is installed now.
    void resetToDefaults();

    /// After every change of the list.
    core::Signal<>& changed() { return changed_; }

private:
    void reload();
    void store(const std::vector<settings::ExcludedApp>& list);
    std::vector<settings::ExcludedApp> defaults() const;

    settings::Settings& settings_;
    const ports::AppCatalog& catalog_;
    std::vector<settings::ExcludedApp> list_;
    core::Connection watch_;
    core::Signal<> changed_;
};

}  // namespace quorvel::rules
