#pragma once

#include <xcb/xcb.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "contract_backend.h"
#include "sim/sim_app_catalog.h"
#include "x11/connection.h"
#include "x11/x11_desktop.h"
#include "x11/x11_veil_window.h"

namespace quorvel::contract {

/// The X11 adapters on the display in $DISPLAY (a private Xvfb with openbox,
/// see with-x-server, started at 2560x800 and split into 1280x800 monitors).
/// Test windows come from a second connection, as another program's would,
/// and look foreign to the adapters.
class X11Backend final : public Backend {
public:
    X11Backend();
    ~X11Backend() override;

    bool available() const override { return tester_ != nullptr; }
    ports::Desktop& desktop() override { return *desktop_; }
    ports::VeilWindows& veils() override { return *veils_; }

    ports::WindowId openWindow(const core::Rect& frame, const std::string& title) override;
    void raise(ports::WindowId id) override;
    void settle() override;
    std::vector<ports::WindowId> stacking(const std::vector<ports::WindowId>& windows) override;

    /// Polls (syncing with the server) until `done` holds, at most five seconds.
    bool waitFor(const std::function<bool()>& done);
    /// Sets a property on a test window from the tester's connection.
    void setAtoms(xcb_window_t window, const std::string& property,
                  const std::vector<std::string>& values);
    xcb_atom_t atom(const std::string& name) { return adapter_->intern(name); }
    xcb_connection_t* tester() const { return tester_; }
    x11::Connection& adapter() { return *adapter_; }

private:
    std::unique_ptr<x11::Connection> adapter_;
    sim::SimAppCatalog catalog_;
    std::unique_ptr<x11::X11Desktop> desktop_;
    std::unique_ptr<x11::X11VeilWindows> veils_;
    xcb_connection_t* tester_ = nullptr;
    std::vector<xcb_window_t> windows_;
};

}  // namespace quorvel::contract
