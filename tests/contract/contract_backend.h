#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/geometry.h"
#include "core/virtual_scheduler.h"
#include "ports/desktop.h"
#include "ports/veil_windows.h"

namespace quorvel::contract {

/// One desktop behind the ports, with the few controls the shared
/// expectations need, in the desktop's coordinates.
class Backend {
public:
    virtual ~Backend() = default;
    /// False when this backend cannot run here (no X display); the test is skipped.
    virtual bool available() const = 0;

    virtual ports::Desktop& desktop() = 0;
    virtual ports::VeilWindows& veils() = 0;
    /// Fades run on this; both backends use virtual time.
    core::VirtualScheduler scheduler;

    /// Opens an ordinary titled window in front of the others.
    virtual ports::WindowId openWindow(const core::Rect& frame, const std::string& title) = 0;
    /// Brings a window to the front as a click on it would.
    virtual void raise(ports::WindowId id) = 0;
    /// Lets the desktop deliver what it owes after a veil call.
    virtual void settle() = 0;
    /// Front to back as the screen stacks them: the windows among `windows`
    /// by id, veils as 0, everything else left out.
    virtual std::vector<ports::WindowId> stacking(const std::vector<ports::WindowId>& windows) = 0;
};

std::unique_ptr<Backend> makeX11Backend();

}  // namespace quorvel::contract
