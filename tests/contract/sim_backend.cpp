#include <algorithm>

#include "contract_backend.h"
#include "sim/sim_desktop.h"

namespace quorvel::contract {

namespace {

class SimBackend final : public Backend {
public:
    SimBackend() { desktop_.addMonitor({0, 0, 1280, 800}); }

    bool available() const override { return true; }
    ports::WindowList& windowList() override { return desktop_; }
    ports::Screens& screens() override { return desktop_; }
    ports::OverlayWindowFactory& overlays() override { return desktop_; }

    std::int64_t openWindow(const core::Rect& bounds, const std::string& title) override {
        return desktop_.addWindow({"contract", bounds, title, 0, {}});
    }
    void raise(std::int64_t number) override { desktop_.raiseWindow(number); }
    void addMonitor() override {
        const core::Rect first = desktop_.screens().front().frame;
        desktop_.addMonitor({first.maxX(), first.y, first.width, first.height});
    }
    std::optional<std::int64_t> clickAt(core::Point p) override {
        // Veils ignore the mouse: the click lands on the front-most window under it.
        for (const sim::StackEntry& e : desktop_.stacking()) {
            if (e.isOverlay || e.owner != "contract") continue;
            if (e.bounds.contains(p)) return e.windowNumber;
        }
        return std::nullopt;
    }
    void settle() override {}

private:
    sim::SimDesktop desktop_{scheduler};
};

}  // namespace

std::unique_ptr<Backend> makeSimBackend() {
    return std::make_unique<SimBackend>();
}

std::vector<std::int64_t> visibleOrder(Backend& backend,
                                       const std::vector<std::int64_t>& testWindows) {
    std::vector<std::int64_t> order;
    for (const auto& w :
         backend.windowList().onScreenWindows(ports::WindowListOption::OnScreenOnly)) {
        if (!w.windowNumber) continue;
        if (w.ownerName == "Quorvel" && !w.title) {
            order.push_back(0);
        } else if (std::find(testWindows.begin(), testWindows.end(), *w.windowNumber) !=
                   testWindows.end()) {
            order.push_back(*w.windowNumber);
        }
    }
    return order;
}

}  // namespace quorvel::contract
