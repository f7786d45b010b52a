#pragma once

#include <chrono>

#include "ports/wall_clock.h"

namespace quorvel::x11 {

/// The system's calendar clock.
class SystemWallClock final : public ports::WallClock {
public:
    double secondsSinceEpoch() const override {
        return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch())
            .count();
    }
};

}  // namespace quorvel::x11
