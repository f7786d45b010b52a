#pragma once

// Behaviour headers first: Qt defines `emit` as a macro.
#include "settings_window/settings_controller.h"
#include "settings_window/settings_window_fixture.h"

#include <QApplication>
#include <memory>

#include "qt/settings_window_host.h"
#include "qt/settings_window_widget.h"

namespace quorvel::settings_window::testing {

/// The real settings window widgets, made by the Qt host for a controller
/// over the simulated desktop.
class QtSettingsWindowTest : public SettingsWindowTest {
protected:
    void SetUp() override {
        start();
        host = std::make_unique<qt::QtSettingsWindowHost>(state, *services);
        controller = std::make_unique<SettingsController>(state, *host, center(), scheduler);
    }
    void TearDown() override {
        controller.reset();
        QApplication::processEvents();
    }
    qt::SettingsWindowWidget& window() { return *host->widget(); }

    SettingsState state;
    std::unique_ptr<qt::QtSettingsWindowHost> host;
    std::unique_ptr<SettingsController> controller;
};

}  // namespace quorvel::settings_window::testing
