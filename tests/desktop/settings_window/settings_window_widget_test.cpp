// Behaviour headers first: Qt defines `emit` as a macro.
#include <gtest/gtest.h>

#include "settings_window/settings_controller.h"
#include "sim/sim_harness.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPalette>
#include <QScrollArea>
#include <QTest>
#include <QTimer>

#include "qt/app_picker_dialog.h"
#include "qt/qt_settings_window_host.h"
#include "qt/settings_appearance_tab.h"
#include "qt/settings_more_tab.h"
#include "qt/settings_rules_tab.h"
#include "qt/settings_shortcuts_tab.h"
#include "qt/settings_window_widget.h"
#include "qt/shortcut_recorder_widget.h"

namespace quorvel::settings_window {
namespace {

/// Makes `w` the active window as the window manager would, and waits for
/// the platform to say so.
void activate(QWidget& w) {
    w.activateWindow();
    (void)QTest::qWaitForWindowActive(&w);
}

/// The real settings window widgets, made by the Qt host for a controller,
/// over Quorvel on the simulated desktop; the updates' answers are the test's.
class SettingsWindowWidgetTest : public ::testing::Test {
protected:
    void SetUp() override {
        harness.keyboard = sim::SimKeyboardLayout::usLayout();
        harness.desktop.addMonitor({0, 0, 1280, 800});
        harness.start();
        services.emplace(harness.app().settingsWindowServices());
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
    QAbstractButton* tabButton(const QString& title) {
        for (auto* b : window().findChildren<qt::SettingsTabButton*>()) {
            if (b->text() == title) return b;
        }
        return nullptr;
    }
    template <typename T>
    T* tab() {
        QWidget* content = window().content();
        if (auto* scroll = qobject_cast<QScrollArea*>(content)) content = scroll->widget();
        return dynamic_cast<T*>(content);
    }

    sim::SimHarness harness;
    sim::SimAppCatalog& catalog = harness.catalog;
    bool automaticChecks = true;
    std::optional<SettingsWindowServices> services;
    SettingsState state;
    std::unique_ptr<qt::QtSettingsWindowHost> host;
    std::unique_ptr<SettingsController> controller;
};

TEST_F(SettingsWindowWidgetTest, ClickingATabShowsItsContentAndClosingForgetsTheWindow) {
    controller->showSettings("more");
    ASSERT_NE(host->widget(), nullptr);
    EXPECT_TRUE(window().isVisible());
    EXPECT_NE(tab<qt::SettingsMoreTab>(), nullptr);
    QTest::mouseClick(tabButton("Rules"), Qt::LeftButton);
    EXPECT_EQ(state.selectedTab(), SettingsTab::exclude);
    EXPECT_NE(tab<qt::SettingsRulesTab>(), nullptr);
    window().close();
    EXPECT_FALSE(controller->isWindowVisible());
    EXPECT_EQ(state.selectedTab(), SettingsTab::appearance);
}

TEST_F(SettingsWindowWidgetTest, TheRecorderStoresAPressedFunctionKey) {
    controller->showSettings("shortcuts");
    auto* shortcuts = tab<qt::SettingsShortcutsTab>();
    ASSERT_NE(shortcuts, nullptr);
    auto recorders = shortcuts->findChildren<qt::ShortcutRecorderWidget*>();
    ASSERT_EQ(recorders.size(), 3);
    EXPECT_EQ(recorders[0]->text(), "Ctrl+Alt+Super+F");
    activate(window());
    QTest::mouseClick(recorders[0], Qt::LeftButton);
    EXPECT_EQ(recorders[0]->text(), "Recording...");
    EXPECT_TRUE(harness.app().shortcuts()->isSuspended());
    QKeyEvent press(QEvent::KeyPress, Qt::Key_F5, Qt::NoModifier);
    QApplication::sendEvent(recorders[0], &press);
    harness.scheduler.runPending();
    EXPECT_EQ(settings().toggleShortcut.get(), (settings::KeyCombo{96, 0}));
    EXPECT_EQ(recorders[0]->text(), "F5");
    EXPECT_FALSE(harness.app().shortcuts()->isSuspended());
}

TEST_F(SettingsWindowWidgetTest, MoreTabSwitchesAutomaticChecksAndItsConfirmedResetResets) {
    settings().grain.set(0.0);
    controller->showSettings("more");
    auto* more = tab<qt::SettingsMoreTab>();
    ASSERT_NE(more, nullptr);
    QCheckBox* automatic = nullptr;
    for (auto* box : more->findChildren<QCheckBox*>()) {
        if (box->text() == "Check for updates automatically") automatic = box;
    }
    ASSERT_NE(automatic, nullptr);
    EXPECT_TRUE(automatic->isChecked());
    automatic->click();
    EXPECT_FALSE(automaticChecks);
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        for (auto* button : box ? box->buttons() : QList<QAbstractButton*>{}) {
            if (button->text() == "Reset") button->click();
        }
    });
    more->askToReset();
    EXPECT_EQ(settings().grain.get(), 0.5);
}

TEST_F(SettingsWindowWidgetTest, AppPickerRescansListsRunningFirstAndFindsHiddenByName) {
    catalog.addApplication("org.a.Alpha", "Alpha");
    catalog.addApplication("org.z.Zeta", "Zeta");
    catalog.addEntry({"/usr/share/applications/h.desktop", "h", std::nullopt, "Helper Tool", ""},
                     /*hidden=*/true);
    qt::AppPickerDialog picker(catalog, {"org.z.Zeta"}, nullptr);
    EXPECT_EQ(catalog.rescans(), 1);
    auto* list = picker.findChild<QListWidget*>();
    const auto shown = [&] {
        QStringList names;
        for (int i = 0; i < list->count(); ++i) {
            if (!list->item(i)->isHidden()) names << list->item(i)->text();
        }
        return names;
    };
    EXPECT_EQ(shown().value(0), "Zeta");
    EXPECT_FALSE(shown().contains("Helper Tool"));
    picker.findChild<QLineEdit*>()->setText("helper");
    EXPECT_EQ(shown(), QStringList{"Helper Tool"});
}

TEST_F(SettingsWindowWidgetTest, ControlWClosesTheFocusedWindow) {
    controller->showSettings();
    activate(window());
    QApplication::processEvents();
    if (!controller->isMonitoringKeys()) GTEST_SKIP() << "the platform gives no focus";
    QKeyEvent press(QEvent::KeyPress, Qt::Key_W, Qt::ControlModifier);
    QApplication::sendEvent(window().content(), &press);
    EXPECT_FALSE(controller->isWindowVisible());
}

/// Writes each tab in the given palette to the screenshot folder.
void shootTabs(SettingsState& state, qt::QtSettingsWindowHost& host, const char* scheme) {
    QDir().mkpath(QUORVEL_SCREENSHOT_DIR);
    for (auto t : allSettingsTabs) {
        state.setSelectedTab(t);
        QApplication::processEvents();
        const QString file =
            QString("%1/settings-%2-%3.png")
                .arg(QUORVEL_SCREENSHOT_DIR, QString::fromUtf8(tabName(t).data()), scheme);
        EXPECT_TRUE(host.widget()->grab().save(file)) << file.toStdString();
    }
}

// Pictures for the README, not a test: `make screenshots` runs it.
TEST_F(SettingsWindowWidgetTest, DISABLED_ScreenshotsOfEveryTabInLightAndDark) {
    catalog.addApplication("org.gnome.Nautilus", "Files", "system-file-manager");
    harness.app().excludedApps().addInstalled("org.gnome.Nautilus");
    controller->showSettings();
    shootTabs(state, *host, "light");
    controller->closeSettings();
    harness.scheduler.runPending();

    QPalette dark;
    dark.setColor(QPalette::Window, QColor(0x2b, 0x2b, 0x2e));
    dark.setColor(QPalette::WindowText, QColor(0xe8, 0xe8, 0xea));
    dark.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x20));
    dark.setColor(QPalette::Text, QColor(0xe8, 0xe8, 0xea));
    dark.setColor(QPalette::Button, QColor(0x3a, 0x3a, 0x3e));
    dark.setColor(QPalette::ButtonText, QColor(0xe8, 0xe8, 0xea));
    dark.setColor(QPalette::PlaceholderText, QColor(0x9a, 0x9a, 0xa0));
    dark.setColor(QPalette::Highlight, QColor(0x35, 0x84, 0xe4));
    const QPalette light = QApplication::palette();
    QApplication::setPalette(dark);
    controller->showSettings();
    shootTabs(state, *host, "dark");
    controller->closeSettings();
    QApplication::setPalette(light);
}

}  // namespace
}  // namespace quorvel::settings_window
