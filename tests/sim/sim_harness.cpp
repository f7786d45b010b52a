#include "sim/sim_harness.h"

namespace quorvel::sim {

SimHarness::SimHarness(std::filesystem::path configDir)
    : desktop_(scheduler_), configDir_(std::move(configDir)) {
    context_ = std::make_unique<app::AppContext>(ports(), configDir_);
}

SimHarness::~SimHarness() {
    context_.reset();
}

app::DesktopPorts SimHarness::ports() {
    return app::DesktopPorts{scheduler_, desktop_, desktop_, desktop_,
                             desktop_,   desktop_, catalog_, keyboardLayout_};
}

void SimHarness::relaunch() {
    context_.reset();
    context_ = std::make_unique<app::AppContext>(ports(), configDir_);
}

}  // namespace quorvel::sim
