#pragma once

#include "desktop/shell/shell_client.h"
#include "platform/screens.h"

namespace quorvel::shell {

/// The compositor's monitors (their work areas leave out the panels) and the
/// pointer, both from the extension.
class ShellScreens final : public platform::Screens {
public:
    explicit ShellScreens(ShellClient& shell) : shell_(shell) {}

    std::vector<platform::ScreenInfo> screens() const override;
    std::optional<platform::ScreenInfo> mainScreen() const override;
    std::uint32_t mainDisplayID() const override;
    core::Point mouseLocation() const override;

private:
    ShellClient& shell_;
};

}  // namespace quorvel::shell
