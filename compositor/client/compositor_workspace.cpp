#include "compositor/client/compositor_workspace.h"

#include <unistd.h>

#include <algorithm>

namespace quorvel::compositor {

namespace {

// The catalog names an application by its desktop-file id without the suffix.
std::string withoutDesktopSuffix(std::string id) {
    constexpr std::string_view suffix = ".desktop";
    if (id.size() > suffix.size() && id.ends_with(suffix)) id.resize(id.size() - suffix.size());
    return id;
}

bool isApplicationWindow(const CompositorWindow& w) {
    return w.pid != std::int64_t(::getpid()) && w.type != "desktop" && w.type != "dock";
}

}  // namespace

CompositorWorkspace::CompositorWorkspace(CompositorClient& shell) : shell_(shell) {
    lastFront_ = frontmostApplication();
    changes_ = shell_.changed().connect([this] { stateChanged(); });
}

ports::RunningApplication CompositorWorkspace::applicationOf(const CompositorWindow& window) {
    ports::RunningApplication app;
    if (window.app) app.bundleId = withoutDesktopSuffix(*window.app);
    app.name = window.appName.value_or(window.wmClass.value_or(""));
    return app;
}

std::optional<ports::RunningApplication> CompositorWorkspace::frontmostApplication() const {
    const CompositorState& state = shell_.state();
    if (!state.focused) return std::nullopt;
    for (const CompositorWindow& w : state.windows) {
        if (w.id == *state.focused) return applicationOf(w);
    }
    return std::nullopt;
}

std::vector<ports::RunningApplication> CompositorWorkspace::runningApplications() const {
    std::vector<ports::RunningApplication> apps;
    for (const CompositorWindow& w : shell_.state().windows) {
        if (!isApplicationWindow(w)) continue;
        auto app = applicationOf(w);
        if (std::find(apps.begin(), apps.end(), app) == apps.end()) apps.push_back(std::move(app));
    }
    return apps;
}

void CompositorWorkspace::stateChanged() {
    const auto front = frontmostApplication();
    if (front == lastFront_) return;
    lastFront_ = front;
    if (!front) return;
    observers_.notify(
        [&front](ports::WorkspaceEvents& observer) { observer.didActivateApplication(*front); });
}

void CompositorWorkspace::addObserver(ports::WorkspaceEvents& observer) {
    observers_.add(observer);
}

void CompositorWorkspace::removeObserver(ports::WorkspaceEvents& observer) {
    observers_.remove(observer);
}

}  // namespace quorvel::compositor
