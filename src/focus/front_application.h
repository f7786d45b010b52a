#pragma once

#include <optional>

#include "core/signal.h"
#include "ports/desktop.h"
#include "rules/excluded_apps.h"

namespace quorvel::focus {

/// The application in front (the one owning the active window) and whether
/// the user excluded it, as the desktop last reported; `changed` fires when
/// either changes.
class FrontApplication {
public:
    FrontApplication(ports::Desktop& desktop, rules::ExcludedApps& excluded);
    FrontApplication(const FrontApplication&) = delete;
    FrontApplication& operator=(const FrontApplication&) = delete;

    const std::optional<ports::Application>& app() const { return app_; }
    bool isExcluded() const { return excluded_.isExcluded(app_ ? app_->appId : std::nullopt); }
    /// The application in front as the desktop says it now, for acting on
    /// what the user sees (the last report may be a moment old).
    std::optional<ports::Application> askDesktop();
    /// Excludes the application in front now, or includes it again; false
    /// when it has no installed desktop entry (or no application is in front).
    bool setExcluded(bool excluded);
    bool toggleExcluded();

    core::Signal<>& changed() { return changed_; }

private:
    void refresh(std::optional<ports::Application> now);
    bool exclude(const std::string& appId, bool excluded);

    ports::Desktop& desktop_;
    rules::ExcludedApps& excluded_;
    std::optional<ports::Application> app_;
    bool wasExcluded_ = false;
    core::Connection desktopWatch_;
    core::Connection listWatch_;
    core::Signal<> changed_;
};

/// The application of the active window in `state`; nothing when no window is active.
std::optional<ports::Application> activeApplication(const ports::DesktopState& state);

}  // namespace quorvel::focus
