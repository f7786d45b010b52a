#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/geometry.h"
#include "core/virtual_scheduler.h"
#include "ports/overlay_windows.h"
#include "ports/screens.h"
#include "ports/window_list.h"

namespace quorvel::contract {

/// One desktop behind the ports, with the few controls the shared
/// expectations need. Window bounds are top-left origin; monitor frames
/// bottom-left origin, as in the ports.
class Backend {
public:
    virtual ~Backend() = default;
    /// False when this backend cannot run here (no X display); the test is skipped.
    virtual bool available() const = 0;

    virtual ports::WindowList& windowList() = 0;
    virtual ports::Screens& screens() = 0;
    virtual ports::OverlayWindowFactory& overlays() = 0;
    /// Fades run on this; both backends use virtual time.
    core::VirtualScheduler scheduler;

    /// Opens an ordinary titled window in front of the others.
    virtual std::int64_t openWindow(const core::Rect& bounds, const std::string& title) = 0;
    /// Brings a window to the front as a click on it would.
    virtual void raise(std::int64_t number) = 0;
    /// Adds a monitor to the right of the first one, as wide and high as it.
    virtual void addMonitor() = 0;
    /// A click at a point: the test window that receives it, nothing when none does.
    virtual std::optional<std::int64_t> clickAt(core::Point topLeft) = 0;
    /// Lets the desktop deliver what it owes after an overlay call.
    virtual void settle() = 0;
};

std::unique_ptr<Backend> makeSimBackend();
std::unique_ptr<Backend> makeX11Backend();

/// The windows of a sample front to back: test windows by number, veils
/// (owner "Quorvel" without a title) as 0, everything else left out.
std::vector<std::int64_t> visibleOrder(Backend& backend,
                                       const std::vector<std::int64_t>& testWindows);

}  // namespace quorvel::contract
