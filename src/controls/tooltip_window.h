#pragma once

#include <cstdint>
#include <memory>

#include "controls/tooltip_placement.h"
#include "ports/hint_window.h"
#include "ports/screens.h"
#include "ports/status_item.h"

namespace quorvel::controls {

/// The floating hint that explains the tray icon: it hangs below the icon,
/// follows it while shown, fades in and out, and can be shown again after it
/// is closed. Nothing about it is stored.
class TooltipWindow final : private ports::HintWindowEvents, private ports::StatusItemEvents {
public:
    static constexpr double fadeDuration = 0.3;

    TooltipWindow(ports::HintWindow& window, ports::StatusItem& statusItem,
                  const ports::Screens& screens);
    ~TooltipWindow() override;
    TooltipWindow(const TooltipWindow&) = delete;
    TooltipWindow& operator=(const TooltipWindow&) = delete;

    /// Places the hint, follows the icon and fades the hint in.
    void showTooltip();
    /// Stops following and fades out, then hides the hint. Safe when hidden.
    void close();

    bool isShown() const { return shown_; }
    /// Puts the hint under the icon (or, without its geometry, at the top-right
    /// corner of the monitor under the pointer).
    void positionBelowStatusItem();

private:
    void closeRequested() override { close(); }
    void clicked(ports::MouseButton, ports::KeyModifiers) override {}
    void menuItemActivated(const std::string&, int) override {}
    void geometryChanged() override;

    ports::HintWindow& window_;
    ports::StatusItem& statusItem_;
    const ports::Screens& screens_;
    bool shown_ = false;
    bool following_ = false;
    std::uint64_t generation_ = 0;
    std::shared_ptr<int> alive_ =
        std::make_shared<int>(0);  // a fade-out that finishes after a new show does nothing
};

}  // namespace quorvel::controls
