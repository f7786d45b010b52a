#include "compositor/client/compositor_screens.h"

namespace quorvel::compositor {

std::vector<ports::ScreenInfo> CompositorScreens::screens() const {
    return screenInfos(shell_.state());
}

std::optional<ports::ScreenInfo> CompositorScreens::mainScreen() const {
    const auto all = screens();
    const auto index = focusedMonitor(shell_.state());
    if (!index || *index >= all.size()) return std::nullopt;
    return all[*index];
}

std::uint32_t CompositorScreens::mainDisplayID() const {
    const auto main = mainScreen();
    return main && main->displayID ? *main->displayID : 0;
}

core::Point CompositorScreens::mouseLocation() const {
    const auto pointer = shell_.pointer();
    if (!pointer) return {};
    return flippedPoint(pointer->x, pointer->y, primaryFrame(shell_.state()));
}

}  // namespace quorvel::compositor
