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
    void addMonitor() override {
        const core::Rect first = desktop_.state().monitors.front().frame;
        desktop_.addMonitor({first.maxX(), first.y, first.width, first.height});
    }
    std::optional<ports::WindowId> clickAt(core::Point p) override {
        // Veils ignore the mouse: the click lands on the front-most window under it.
        for (const auto& w : desktop_.state().windows) {
            if (w.frame.contains(p)) return w.id;
        }
        return std::nullopt;
    }
    void settle() override {}
    std::vector<ports::WindowId> stacking(const std::vector<ports::WindowId>& windows) override {
        std::vector<ports::WindowId> order;
        for (const auto& e : desktop_.stacking()) {
            if (e.isVeil) {
                order.push_back(0);
            } else if (std::find(windows.begin(), windows.end(), e.id) != windows.end()) {
                order.push_back(e.id);
            }
        }
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
