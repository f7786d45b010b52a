#pragma once

#include <cstddef>
#include <cstdint>

namespace quorvel::ports {

/// The display server as a whole: whether it can be reached, and how it groups
/// workspaces across monitors.
class WindowServer {
public:
    virtual ~WindowServer() = default;
    /// Called at launch, up to three times; a non-zero connection id, 0 when the
    /// server cannot be reached.
    virtual std::uint32_t mainConnectionID() = 0;
    /// Called once after connecting; how many independent workspace groups there
    /// are (one per monitor when each monitor switches workspaces on its own), 0
    /// when the server cannot say.
    virtual std::size_t managedDisplaySpaceCount(std::uint32_t connection) = 0;
};

}  // namespace quorvel::ports
