#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/scheduler.h"
#include "sim/sim_overlay_window.h"
#include "sim/sim_window_records.h"
#include "ports/overlay_windows.h"
#include "ports/overview.h"
#include "ports/screens.h"
#include "ports/window_list.h"
#include "ports/workspace.h"

namespace quorvel::sim {

/// The simulated desktop over one model, with a control surface for tests. Stacking
/// follows a window server: higher layers in front, within a layer the last raised.
class SimDesktop final : public ports::WindowList,
                         public ports::Screens,
                         public ports::Workspace,
                         public ports::Overview,
                         public ports::OverlayWindowFactory {
public:
    static constexpr std::int32_t kDesktopLayer = -2147483623;
    static constexpr std::int32_t kCoveringLayer = 1;
    static constexpr const char* kWallpaperOwner = "Wallpaper";

    explicit SimDesktop(core::Scheduler& scheduler);
    ~SimDesktop() override;
    SimDesktop(const SimDesktop&) = delete;
    SimDesktop& operator=(const SimDesktop&) = delete;

    // Ports.
    std::vector<ports::RawWindow> onScreenWindows(ports::WindowListOption option) override;
    void setChangeHandler(std::function<void()> onChange) override {
        onChange_ = std::move(onChange);
    }
    std::vector<ports::ScreenInfo> screens() const override;
    std::optional<ports::ScreenInfo> mainScreen() const override;
    std::uint32_t mainDisplayID() const override;
    core::Point mouseLocation() const override { return pointer_; }
    std::optional<ports::RunningApplication> frontmostApplication() const override;
    std::vector<ports::RunningApplication> runningApplications() const override {
        return running_;
    }
    void addObserver(ports::WorkspaceEvents& observer) override;
    void removeObserver(ports::WorkspaceEvents& observer) override;
    std::optional<bool> isShowing() const override { return overview_; }
    std::shared_ptr<ports::OverlayWindow> create(const ports::ScreenInfo& screen) override;

    // Windows. A new or raised window goes to the front of its layer.
    std::int64_t addWindow(const WindowSpec& spec);
    void moveWindow(std::int64_t number, const core::Rect& bounds);
    void raiseWindow(std::int64_t number);
    void closeWindow(std::int64_t number);
    /// Keeps the window's place but leaves it out of the window list.
    void setWindowHidden(std::int64_t number, bool hidden);
    /// From now on window changes are reported as they happen, as X11 does;
    /// until then the list is only sampled.
    void reportChanges() { reportsChanges_ = true; }

    /// Monitor frames are bottom-left origin, the first is primary; each gets a wallpaper.
    std::uint32_t addMonitor(const core::Rect& frame, std::optional<std::uint32_t> id = {},
                             bool withWallpaper = true);
    void addMonitorWithoutId(const core::Rect& frame);  // one the system gives no id
    void removeMonitor(std::uint32_t id);
    void setMonitorFrame(std::uint32_t id, const core::Rect& frame);
    /// The monitor with the active window; the first monitor when unset.
    void setMainMonitor(std::optional<std::uint32_t> id) { mainId_ = id; }
    /// Number of the monitor's wallpaper window, nothing when it has none.
    std::optional<std::int64_t> wallpaperOf(std::uint32_t id) const;
    /// Shifts the wallpaper `dx` from rest, as a sliding workspace switch does.
    void slideWallpaper(std::uint32_t id, double dx);

    void movePointer(core::Point location) { pointer_ = location; }
    void setFrontmostApplication(std::optional<ports::RunningApplication> app);
    void setRunningApplications(std::vector<ports::RunningApplication> apps) {
        running_ = std::move(apps);
    }
    /// Nothing: no overview signal of the desktop's own.
    void setOverviewShowing(std::optional<bool> showing) { overview_ = showing; }

    // Readout.
    std::vector<StackEntry> stacking() const;
    /// One line: front to back, overlays as "[veil:<monitor> a=<alpha>]".
    std::string describeStacking() const;
    /// Overlays made so far, in creation order, closed ones included.
    const auto& createdOverlays() const { return overlays_; }
    /// The newest overlay of the monitor that is not closed; null when none.
    SimOverlayWindow* overlayOn(std::uint32_t id) const;
    /// Overlays not yet closed.
    std::size_t openOverlayCount() const;
    /// A visible overlay with some alpha lies in front of the window and over it.
    bool isCovered(std::int64_t number) const;
    /// The window directly behind `number` among the visible ones.
    std::optional<std::int64_t> windowBelow(std::int64_t number) const;

    // Called by overlay windows.
    void overlayChanged(SimOverlayWindow& overlay, bool levelChanged);
    void overlayOrderedBelow(SimOverlayWindow& overlay, std::int64_t target);
    void overlayOrderedFront(SimOverlayWindow& overlay);
    void overlayClosed(SimOverlayWindow& overlay);

private:
    struct Record {
        WindowSpec spec;
        bool hidden = false;
        SimOverlayWindow* overlay = nullptr;
        std::optional<std::uint32_t> wallpaperOf;
    };
    struct Monitor {
        std::optional<std::uint32_t> id;
        core::Rect frame;
        double slide = 0;
    };

    core::Rect toTopLeft(const core::Rect& bottomLeft) const;
    void refreshWallpapers();
    void placeFront(std::int64_t number);
    void normalize();
    std::int64_t nextNumber();
    Monitor* monitor(std::uint32_t id);
    void windowsChanged() const;

    core::Scheduler& scheduler_;
    std::map<std::int64_t, Record> windows_;
    std::vector<std::int64_t> order_;  // front to back
    std::vector<Monitor> monitors_;
    std::vector<std::shared_ptr<SimOverlayWindow>> overlays_;
    std::vector<ports::WorkspaceEvents*> observers_;
    std::optional<ports::RunningApplication> frontmost_;
    std::vector<ports::RunningApplication> running_;
    std::optional<std::uint32_t> mainId_;
    std::optional<bool> overview_;
    core::Point pointer_;
    std::int64_t lastNumber_ = 100;
    std::uint32_t lastMonitorId_ = 0;
    std::function<void()> onChange_;
    bool reportsChanges_ = false;
};

}  // namespace quorvel::sim
