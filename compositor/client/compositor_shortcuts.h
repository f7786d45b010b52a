#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "compositor/client/compositor_client.h"
#include "core/signal.h"
#include "ports/global_shortcuts.h"
#include "ports/keyboard_layout.h"

namespace quorvel::compositor {

/// The accelerator for a stored combination ("<Control><Alt><Super>j") as
/// `layout` names the key, nothing for a key the key table lacks.
std::optional<std::string> acceleratorName(std::uint32_t keyCode, std::uint32_t modifiers,
                                           const ports::KeyboardLayout& layout);

/// Global shortcuts through the compositor's own key grabs, which work on Wayland
/// as on Xorg: an X client's grab there only sees keys while an X window has
/// the focus. The component grabs GTK accelerators by key name, which the
/// compositor finds in the current layout: the stored key (a position) is
/// named as the user's layout types it, as the Shortcuts tab shows it.
class CompositorShortcuts final : public ports::GlobalShortcuts {
public:
    CompositorShortcuts(CompositorClient& shell, const ports::KeyboardLayout& layout);
    ~CompositorShortcuts() override;
    CompositorShortcuts(const CompositorShortcuts&) = delete;
    CompositorShortcuts& operator=(const CompositorShortcuts&) = delete;

    bool grab(std::uint32_t id, std::uint32_t keyCode, std::uint32_t modifiers) override;
    bool hasKey(std::uint32_t keyCode) const override;
    void ungrab(std::uint32_t id) override;
    void setEventHandler(ports::GlobalShortcutEvents* handler) override { handler_ = handler; }

private:
    struct Grab {
        std::uint32_t keyCode = 0;
        std::uint32_t modifiers = 0;
        std::uint32_t action = 0;
    };
    void regrabAll();

    CompositorClient& shell_;
    const ports::KeyboardLayout& layout_;
    ports::GlobalShortcutEvents* handler_ = nullptr;
    std::map<std::uint32_t, Grab> grabs_;
    core::Connection activated_;
    core::Connection returned_;
};

}  // namespace quorvel::compositor
