#pragma once

#include "compositor/client/compositor_client.h"
#include "platform/screens.h"

namespace quorvel::compositor {

/// The compositor's monitors (their work areas leave out the panels) and the
/// pointer, both from the extension.
class CompositorScreens final : public platform::Screens {
public:
    explicit CompositorScreens(CompositorClient& shell) : shell_(shell) {}

    std::vector<platform::ScreenInfo> screens() const override;
    std::optional<platform::ScreenInfo> mainScreen() const override;
    std::uint32_t mainDisplayID() const override;
    core::Point mouseLocation() const override;

private:
    CompositorClient& shell_;
};

}  // namespace quorvel::compositor
