#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/geometry.h"

namespace quorvel::sim {

/// What a test says about a window it opens. Bounds are top-left origin.
struct WindowSpec {
    std::string owner;
    core::Rect bounds{};
    std::string title{};
    std::int32_t layer = 0;
    std::optional<std::int64_t> number{};  // picked by the desktop when absent
    bool fullscreen = false;
};

/// One row of the stacking readout, front to back.
struct StackEntry {
    std::int64_t windowNumber = 0;
    std::string owner;
    std::string title;
    std::int32_t layer = 0;
    core::Rect bounds;  // top-left origin
    bool isOverlay = false;
    double alpha = 1.0;
    bool fullscreen = false;
};

}  // namespace quorvel::sim
