#include "focus/front_application.h"

#include <algorithm>

namespace quorvel::focus {

std::optional<ports::Application> activeApplication(const ports::DesktopState& state) {
    if (!state.active) return std::nullopt;
    const auto it = std::find_if(state.windows.begin(), state.windows.end(),
                                 [&](const ports::Window& w) { return w.id == *state.active; });
    if (it == state.windows.end()) return std::nullopt;
    return ports::Application{it->appId, it->appName};
}

FrontApplication::FrontApplication(ports::Desktop& desktop, rules::ExcludedApps& excluded)
    : desktop_(desktop), excluded_(excluded) {
    app_ = activeApplication(desktop_.state());
    wasExcluded_ = isExcluded();
    desktopWatch_ =
        desktop_.changed().connect([this] { refresh(activeApplication(desktop_.state())); });
    listWatch_ = excluded_.changed().connect([this] { refresh(app_); });
}

std::optional<ports::Application> FrontApplication::askDesktop() {
    auto now = desktop_.frontApplication();
    refresh(now);
    return now;
}

bool FrontApplication::setExcluded(bool excluded) {
    const auto app = askDesktop();
    return app && app->appId && exclude(*app->appId, excluded);
}

bool FrontApplication::toggleExcluded() {
    const auto app = askDesktop();
    return app && app->appId && exclude(*app->appId, !excluded_.isExcluded(app->appId));
}

bool FrontApplication::exclude(const std::string& appId, bool excluded) {
    if (!excluded) {
        excluded_.remove(appId);
        return true;
    }
    return excluded_.isExcluded(appId) || excluded_.addInstalled(appId);
}

void FrontApplication::refresh(std::optional<ports::Application> now) {
    const bool appChanged = now != app_;
    app_ = std::move(now);
    const bool excludedNow = isExcluded();
    if (!appChanged && excludedNow == wasExcluded_) return;
    wasExcluded_ = excludedNow;
    changed_.emit();
}

}  // namespace quorvel::focus
