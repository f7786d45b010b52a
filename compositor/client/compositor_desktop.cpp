#include "compositor/client/compositor_desktop.h"

#include <algorithm>

#include "compositor/client/compositor_state.h"

namespace quorvel::compositor {

CompositorDesktop::CompositorDesktop(CompositorClient& client) : client_(client) {
    clientChanges_ = client_.changed().connect([this] { changed_.emit(); });
}

ports::DesktopState CompositorDesktop::state() {
    if (!client_.available()) return {};
    return desktopState(client_.state());
}

std::optional<ports::Application> CompositorDesktop::frontApplication() {
    if (!client_.available()) return std::nullopt;
    // The last report can be a moment behind a click; the user acts on what
    // they see now.
    client_.readNow();
    const ports::DesktopState now = desktopState(client_.state());
    for (const auto& w : now.windows) {
        if (now.active == w.id) return ports::Application{w.appId, w.appName};
    }
    return std::nullopt;
}

std::vector<ports::Application> CompositorDesktop::runningApplications() {
    std::vector<ports::Application> apps;
    for (const auto& w : state().windows) {
        if (w.own || w.kind == ports::WindowKind::other) continue;
        ports::Application app{w.appId, w.appName};
        if (std::find(apps.begin(), apps.end(), app) == apps.end()) apps.push_back(std::move(app));
    }
    return apps;
}

core::Point CompositorDesktop::pointer() {
    return client_.pointer().value_or(core::Point{});
}

}  // namespace quorvel::compositor
