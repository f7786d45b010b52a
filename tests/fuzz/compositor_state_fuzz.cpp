// What GNOME Shell's extension reports of the desktop (GetState's JSON) as
// the GNOME adapters read it, then turn it into windows, monitors and a veil
// frame: any peer on the session bus may own the extension's name.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "compositor/client/compositor_state.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quorvel;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto state = compositor::parseShellState(text);
    if (!state) return 0;
    // One wallpaper per monitor, whatever the windows claim to be.
    std::size_t wallpapers = 0;
    for (const auto& w :
         compositor::rawWindows(*state, ports::WindowListOption::OnScreenOnly, 2.0, 1))
        wallpapers += w.windowNumber < 0 && w.ownerName == "Wallpaper";
    if (wallpapers != state->monitors.size()) __builtin_trap();
    (void)compositor::rawWindows(*state, ports::WindowListOption::OnScreenOnlyExcludingDesktop, 0, 1);
    for (const auto& screen : compositor::screenInfos(*state))
        (void)compositor::shellRect(screen.frame, compositor::primaryFrame(*state));
    (void)compositor::focusedMonitor(*state);
    return 0;
}
