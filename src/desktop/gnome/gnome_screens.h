#pragma once

#include "desktop/gnome/shell_client.h"
#include "platform/screens.h"

namespace quorvel::gnome {

/// GNOME Shell's monitors (their work areas leave out the top bar) and the
/// pointer, both from the extension.
class GnomeScreens final : public platform::Screens {
public:
    explicit GnomeScreens(ShellClient& shell) : shell_(shell) {}

    std::vector<platform::ScreenInfo> screens() const override;
    std::optional<platform::ScreenInfo> mainScreen() const override;
    std::uint32_t mainDisplayID() const override;
    core::Point mouseLocation() const override;

private:
    ShellClient& shell_;
};

}  // namespace quorvel::gnome
