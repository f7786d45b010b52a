// Panel auto-hide against a real XFCE session: xfconfd on a private D-Bus
// session bus and a running xfce4-panel with a top bar (panel-1) and a dock
// (panel-2, which the user set to hide "intelligently"). Started by
// autohide_xfce_run.sh, which prepares that session.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>
#include <cstdlib>

#include "core/log.h"
#include "core/notification_center.h"
#include "core/preference_store.h"
#include "core/virtual_scheduler.h"
#include "qt/process_script_service.h"
#include "sim/sim_app_catalog.h"
#include "rules/desktop_panel_tables.h"
#include "rules/system_ui_manager.h"
#include "settings/settings_manager.h"

namespace quorvel {
namespace {

QString run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(5000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

QString autohide(int panel) {
    const QString v =
        run("xfconf-query",
            {"-c", "xfce4-panel", "-p", QString("/panels/panel-%1/autohide-behavior").arg(panel)});
    return v.isEmpty() ? "0" : v;
}

void setAutohide(int panel, int value) {
    run("xfconf-query",
        {"-c", "xfce4-panel", "-p", QString("/panels/panel-%1/autohide-behavior").arg(panel), "-n",
         "-t", "uint", "-s", QString::number(value)});
}

bool panelRunning() {
    return !run("sh", {"-c", "pgrep -x xfce4-panel"}).isEmpty();
}

class AutoHideXfceTest : public ::testing::Test {
protected:
    void SetUp() override {
        setAutohide(1, 0);
        setAutohide(2, 1);  // the user's own, non-default choice
        detecting = true;
    }

    rules::SystemUIManager& start() {
        auto table = rules::detectPanelDesktop("XFCE", scripts);
        manager = std::make_unique<rules::SystemUIManager>(
            settings, center, scheduler, scripts, std::move(table), standard,
            rules::SystemUIManager::Hooks{[this] { return detecting; }, [] { return false; }});
        return *manager;
    }

    core::LogCapture logs;
    core::VirtualScheduler scheduler{0.0};
    core::NotificationCenter center;
    sim::SimAppCatalog catalog;
    core::PreferenceStore suite{scheduler};
    core::PreferenceStore standard{scheduler};
    settings::SettingsManager settings{suite, center, catalog};
    qt::ProcessScriptService scripts;
    bool detecting = false;
    std::unique_ptr<rules::SystemUIManager> manager;
};

TEST_F(AutoHideXfceTest, BothHidesBothPanelsAndFocusOffGivesTheUsersValuesBack) {
    ASSERT_TRUE(panelRunning());
    settings.setAutoHideOption("both");
    settings.setAutoHideEnabled(true);
    auto& m = start();
    m.updateAutoHide(true);
    EXPECT_EQ(autohide(1), "2");
    EXPECT_EQ(autohide(2), "2");
    EXPECT_TRUE(
        logs.contains("🪟 Captured original system settings - Dock: false, Menu Bar: false"));

    m.updateAutoHide(false);
    EXPECT_EQ(autohide(1), "0");
    EXPECT_EQ(autohide(2), "1") << "'intelligently' comes back, not 'never'";
    for (const auto& line : logs.lines()) {
        EXPECT_EQ(line.find("verification failed"), std::string::npos) << line;
        EXPECT_EQ(line.find("Error executing"), std::string::npos) << line;
    }
    EXPECT_TRUE(panelRunning());
}

TEST_F(AutoHideXfceTest, AStartAfterAKillPutsThePanelsBack) {
    settings.setAutoHideOption("both");
    settings.setAutoHideEnabled(true);
    start().updateAutoHide(true);
    ASSERT_EQ(autohide(2), "2");
    manager.reset();  // killed: no restore ran
    start();
    EXPECT_TRUE(logs.contains("🪟 Restoring panel settings left by an unclean exit"));
    EXPECT_EQ(autohide(1), "0");
    EXPECT_EQ(autohide(2), "1");
}

TEST_F(AutoHideXfceTest, APanelSetByHandWhileHiddenKeepsTheUsersNewChoice) {
    settings.setAutoHideOption("both");
    settings.setAutoHideEnabled(true);
    for (const bool killed : {false, true}) {
        SCOPED_TRACE(killed ? "given back at the next start" : "given back when focus ends");
        SetUp();
        start().updateAutoHide(true);
        ASSERT_EQ(autohide(2), "2");
        setAutohide(2, 0);  // the user, in the panel's own settings
        if (killed) {
            manager.reset();
            start();
        } else {
            manager->updateAutoHide(false);
        }
        EXPECT_EQ(autohide(1), "0");
        EXPECT_EQ(autohide(2), "0") << "not 'intelligently' from before";
        manager->updateAutoHide(true);
        manager->updateAutoHide(false);
        EXPECT_EQ(autohide(2), "0") << "the new choice is the one given back from now on";
    }
}

}  // namespace
}  // namespace quorvel

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
