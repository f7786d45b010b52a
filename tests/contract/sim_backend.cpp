#include <algorithm>

#include "contract_backend.h"
#include "sim/sim_desktop.h"

namespace quorvel::contract {

namespace {

class SimBackend final : public Backend {
public:
    SimBackend() { desktop_.addMonitor({0, 0, 1280, 800}); }

    bool available() const override { return true; }
    ports::Desktop& desktop() override { return desktop_; }
    ports::VeilWindows& veils() override { return desktop_; }

    ports::WindowId openWindow(const core::Rect& frame, const std::string& title) override {
        return desktop_.open({.app = title, .frame = frame});
    }
    void raise(ports::WindowId id) override { desktop_.activate(id); }
    void settle() override {}
    std::vector<ports::WindowId> stacking(const std::vector<ports::WindowId>& windows) override {
        auto order = desktop_.stacking();
        std::erase_if(order, [&](ports::WindowId id) {
            return id != 0 && std::find(windows.begin(), windows.end(), id) == windows.end();
        });
        return order;
    }

private:
    sim::SimDesktop desktop_{scheduler};
};

}  // namespace

std::unique_ptr<Backend> makeSimBackend() {
    return std::make_unique<SimBackend>();
}

}  // namespace quorvel::contract
