#pragma once

// Behaviour headers first: Qt defines `emit` as a macro.
#include <gtest/gtest.h>

#include "settings_window/settings_controller.h"
#include "sim/sim_harness.h"

#include <QApplication>
#include <memory>

#include "qt/qt_settings_window_host.h"
#include "qt/settings_window_widget.h"

namespace quorvel::settings_window::testing {

/// The real settings window widgets, made by the Qt host for a controller,
/// over Quorvel on the simulated desktop; the panels' and updates' answers
/// are the test's.
class QtSettingsWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        harness.keyboard = sim::SimKeyboardLayout::usLayout();
        harness.desktop.addMonitor({0, 0, 1280, 800});
        harness.start();
        services.emplace(harness.app().settingsWindowServices());
        services->hooks.panelDesktop = [this] { return panelDesktop; };
        services->hooks.probePanels = [this] { return probeOutcome; };
        services->hooks.checksForUpdatesAutomatically = [this] { return automaticChecks; };
        services->hooks.setChecksForUpdatesAutomatically = [this](bool on) {
            automaticChecks = on;
        };
        host = std::make_unique<qt::QtSettingsWindowHost>(state, *services);
        controller = std::make_unique<SettingsController>(state, *host, harness.scheduler);
    }
    void TearDown() override {
        controller.reset();
        QApplication::processEvents();
    }
    qt::SettingsWindowWidget& window() { return *host->widget(); }
    settings::Settings& settings() { return harness.app().settings(); }

    sim::SimHarness harness;
    sim::SimAppCatalog& catalog = harness.catalog;
    std::string panelDesktop;
    std::optional<ports::ScriptOutcome> probeOutcome;
    bool automaticChecks = true;
    std::optional<SettingsWindowServices> services;
    SettingsState state;
    std::unique_ptr<qt::QtSettingsWindowHost> host;
    std::unique_ptr<SettingsController> controller;
};

}  // namespace quorvel::settings_window::testing
