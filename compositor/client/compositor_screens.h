#pragma once

#include "compositor/client/compositor_client.h"
#include "ports/screens.h"

namespace quorvel::compositor {

/// The compositor's monitors (their work areas leave out the panels) and the
/// pointer, both from the extension.
class CompositorScreens final : public ports::Screens {
public:
    explicit CompositorScreens(CompositorClient& shell) : shell_(shell) {}

    std::vector<ports::ScreenInfo> screens() const override;
    std::optional<ports::ScreenInfo> mainScreen() const override;
    std::uint32_t mainDisplayID() const override;
    core::Point mouseLocation() const override;

private:
    CompositorClient& shell_;
};

}  // namespace quorvel::compositor
