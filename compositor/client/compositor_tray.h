#pragma once

#include <optional>
#include <string>
#include <vector>

#include "compositor/client/compositor_client.h"
#include "core/signal.h"
#include "ports/tray.h"

namespace quorvel::compositor {

/// The tray icon where the desktop has a StatusNotifier host (`statusNotifier`,
/// e.g. GNOME with the AppIndicator extension), else Quorvel's item in GNOME's
/// top bar, drawn by the extension; never both. The item opens no menu by
/// itself: clicks come here and the behaviour asks for the menu as with any
/// tray icon.
class CompositorTray final : public ports::Tray, private ports::TrayEvents {
public:
    CompositorTray(CompositorClient& client, ports::Tray& statusNotifier);
    ~CompositorTray() override;
    CompositorTray(const CompositorTray&) = delete;
    CompositorTray& operator=(const CompositorTray&) = delete;

    void show() override;
    bool isAvailable() const override;
    void setIcon(const std::string& name) override;
    void setToolTip(const std::string& text) override;
    void showMenu(const ports::MenuModel& menu) override;
    std::optional<core::Rect> geometry() const override;
    void addObserver(ports::TrayEvents& observer) override;
    void removeObserver(ports::TrayEvents& observer) override;

    /// The menu as the extension takes it (a JSON array of at most 32 entries).
    static std::string menuJson(const ports::MenuModel& menu);

private:
    // From the StatusNotifier icon.
    void clicked(ports::MouseButton button, ports::KeyModifiers modifiers) override;
    void menuItemActivated(const std::string& action, int tag) override;
    void availabilityChanged(bool available) override;
    void geometryChanged() override;

    bool onTopBar() const { return !statusNotifier_.isAvailable(); }
    /// Shows, updates or hides the top-bar item as the hosts say.
    void sync();
    void itemClicked(const std::string& button, std::uint32_t modifiers);
    template <typename F>
    void notify(F&& f);

    CompositorClient& client_;
    ports::Tray& statusNotifier_;
    bool shown_ = false;
    std::string icon_;
    std::string toolTip_;
    std::string sentIcon_, sentToolTip_;  // what the item shows; empty while hidden
    std::optional<core::Rect> itemFrame_;
    std::vector<ports::TrayEvents*> observers_;
    std::vector<core::Connection> connections_;
};

}  // namespace quorvel::compositor
