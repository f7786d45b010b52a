#pragma once

#include "core/scheduler.h"
#include "ports/wall_clock.h"

namespace quorvel::sim {

/// A calendar clock that moves with the scheduler's virtual time, so advancing
/// the scheduler also ages recorded moments.
class SimWallClock final : public ports::WallClock {
public:
    /// `epochAtSchedulerZero`: the calendar time when the scheduler reads 0.
    SimWallClock(const core::Scheduler& scheduler, double epochAtSchedulerZero = 1'700'000'000.0)
        : scheduler_(scheduler), offset_(epochAtSchedulerZero) {}

    double secondsSinceEpoch() const override { return offset_ + scheduler_.now(); }
    /// Jumps the calendar (the user changed the clock) without moving the scheduler.
    void jump(double seconds) { offset_ += seconds; }

private:
    const core::Scheduler& scheduler_;
    double offset_;
};

}  // namespace quorvel::sim
