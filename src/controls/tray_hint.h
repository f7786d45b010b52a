#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "ports/desktop.h"
#include "ports/hint_window.h"
#include "ports/tray.h"

namespace quorvel::controls {

/// The floating hint that explains the tray icon: it hangs below the icon,
/// follows it while shown, fades in and out, and can be shown again after it
/// is closed. Nothing about it is stored.
class TrayHint final : private ports::HintWindowEvents, private ports::TrayEvents {
public:
    static constexpr double fadeDuration = 0.3;

    TrayHint(ports::HintWindow& window, ports::Tray& tray, ports::Desktop& desktop);
    ~TrayHint() override;
    TrayHint(const TrayHint&) = delete;
    TrayHint& operator=(const TrayHint&) = delete;

    /// Places the hint, follows the icon and fades the hint in.
    void show();
    /// Stops following and fades out, then hides the hint. Safe when hidden.
    void close();

    bool isShown() const { return shown_; }
    /// Puts the hint under the icon (or, without its geometry, at the top-right
    /// corner of the monitor under the pointer).
    void place();

private:
    void closeRequested() override { close(); }
    void clicked(ports::MouseButton, ports::KeyModifiers) override {}
    void menuItemActivated(const std::string&, int) override {}
    void geometryChanged() override;

    ports::HintWindow& window_;
    ports::Tray& tray_;
    ports::Desktop& desktop_;
    bool shown_ = false;
    bool following_ = false;
    std::uint64_t generation_ = 0;
    std::shared_ptr<int> alive_ =
        std::make_shared<int>(0);  // a fade-out that finishes after a new show does nothing
};

}  // namespace quorvel::controls
