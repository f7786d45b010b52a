// What the compositor's component reports of the desktop (GetState's JSON),
// read and turned into what the desktop port reports: a component of another
// version, or a broken one, must not take Quorvel down.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "compositor/client/compositor_state.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quorvel;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto state = compositor::parseCompositorState(text);
    if (!state) return 0;
    const ports::DesktopState desktop = compositor::desktopState(*state);
    // Only a listed window can be the active one, and no window lacks an area.
    bool activeListed = !desktop.active;
    for (const auto& w : desktop.windows) {
        if (w.frame.isEmpty()) __builtin_trap();
        activeListed = activeListed || desktop.active == w.id;
    }
    if (!activeListed) __builtin_trap();
    return 0;
}
