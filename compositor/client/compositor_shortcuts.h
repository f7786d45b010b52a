#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "compositor/client/compositor_client.h"
#include "core/signal.h"
#include "ports/global_shortcuts.h"

namespace quorvel::compositor {

/// Global shortcuts through the compositor's own key grabs, which work on Wayland
/// as on Xorg: an X client's grab there only sees keys while an X window has
/// the focus. The extension grabs GTK accelerators; the stored key code
/// becomes the key's name on a US layout, which is how mutter matches it.
class CompositorShortcuts final : public ports::GlobalShortcuts {
public:
    explicit CompositorShortcuts(CompositorClient& shell);
    ~CompositorShortcuts() override;
    CompositorShortcuts(const CompositorShortcuts&) = delete;
    CompositorShortcuts& operator=(const CompositorShortcuts&) = delete;

    bool grab(std::uint32_t id, std::uint32_t keyCode, std::uint32_t modifiers) override;
    bool hasKey(std::uint32_t keyCode) const override;
    void ungrab(std::uint32_t id) override;
    void setEventHandler(ports::GlobalShortcutEvents* handler) override { handler_ = handler; }

    /// The accelerator for a stored combination ("<Control><Alt><Super>j"),
    /// nothing for a key this table lacks.
    static std::optional<std::string> accelerator(std::uint32_t keyCode, std::uint32_t modifiers);

private:
    struct Grab {
        std::uint32_t keyCode = 0;
        std::uint32_t modifiers = 0;
        std::uint32_t action = 0;
    };
    void regrabAll();

    CompositorClient& shell_;
    ports::GlobalShortcutEvents* handler_ = nullptr;
    std::map<std::uint32_t, Grab> grabs_;
    core::Connection activated_;
    core::Connection returned_;
};

}  // namespace quorvel::compositor
