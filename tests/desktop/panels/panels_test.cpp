// Hiding the panels against real panel settings: the user's own values come
// back when focus ends, after a crash, and a choice made while hidden is kept.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>
#include <fstream>
#include <nlohmann/json.hpp>

#include "../spin_until.h"
#include "qt/process_script_service.h"
#include "rules/desktop_panel_tables.h"
#include "sim/sim_harness.h"

namespace quorvel {
namespace {

using quorvel::testing::run;

/// Quorvel on the simulated desktop, but with the real desktop's panel
/// scripts and service; its settings on file, so a crash can be played.
class PanelsTest : public ::testing::Test {
protected:
    app::Application& start(const char* desktop) {
        harness = std::make_unique<sim::SimHarness>(dir.path());
        harness->scriptService = &scripts;
        harness->panelScripts = rules::detectPanelDesktop(desktop, scripts);
        harness->desktop.addMonitor({0, 0, 1280, 800});
        return harness->start({{"isAutoHideEnabled", true}, {"isOverlayEnabled", true}});
    }
    /// Killed: nothing runs at its end; the next start finds what it left.
    void crashAndRestart() { harness->relaunch(); }
    void focus(bool on) { harness->app().session().setOn(on); }

    quorvel::testing::TempDir dir;
    qt::ProcessScriptService scripts;
    std::unique_ptr<sim::SimHarness> harness;
};

class xfce : public PanelsTest {
protected:
    static QString hiding(int panel) {
        const QString v = run(
            "xfconf-query",
            {"-c", "xfce4-panel", "-p", QString("/panels/panel-%1/autohide-behavior").arg(panel)});
        return v.isEmpty() ? "0" : v;
    }
    static void setHiding(int panel, int value) {
        run("xfconf-query",
            {"-c", "xfce4-panel", "-p", QString("/panels/panel-%1/autohide-behavior").arg(panel),
             "-n", "-t", "uint", "-s", QString::number(value)});
    }
    void SetUp() override {
        setHiding(1, 0);
        setHiding(2, 1);  // the user's own, non-default choice: hide "intelligently"
    }
};

TEST_F(xfce, BothPanelsHideAndTheUsersValuesComeBackWhenFocusEndsAndAfterACrash) {
    start("XFCE");
    EXPECT_EQ(hiding(1), "2");
    EXPECT_EQ(hiding(2), "2");
    focus(false);
    EXPECT_EQ(hiding(1), "0");
    EXPECT_EQ(hiding(2), "1") << "'intelligently' comes back, not 'never'";
    focus(true);
    setHiding(2, 0);  // the user, in the panel's own settings, while hidden
    crashAndRestart();
    focus(false);
    EXPECT_EQ(hiding(1), "0");
    EXPECT_EQ(hiding(2), "0") << "the choice made while hidden is the one given back";
    EXPECT_FALSE(run("sh", {"-c", "pgrep -x xfce4-panel"}).isEmpty()) << "the panel lives";
}

class plasma : public PanelsTest {
protected:
    static nlohmann::json panels() {
        std::ifstream file(std::getenv("QUORVEL_PLASMA_PANELS"));
        return nlohmann::json::parse(file);
    }
    static std::string hiding(int id) {
        for (const auto& p : panels()) {
            if (p["id"] == id) return p["hiding"];
        }
        return "";
    }
    static void setHiding(int id, const std::string& value) {
        nlohmann::json list = panels();
        for (auto& p : list) {
            if (p["id"] == id) p["hiding"] = value;
        }
        std::ofstream(std::getenv("QUORVEL_PLASMA_PANELS")) << list.dump();
    }
};

TEST_F(plasma, BothPanelsHideAndTheUsersValuesAndChoicesMadeMeanwhileComeBack) {
    std::ofstream(std::getenv("QUORVEL_PLASMA_PANELS"))
        << R"([{"id": 1, "location": "top", "hiding": "none"},
               {"id": 2, "location": "bottom", "hiding": "windowsbelow"}])";
    start("KDE");
    EXPECT_EQ(hiding(1), "autohide");
    EXPECT_EQ(hiding(2), "autohide");
    setHiding(1, "dodgewindows");  // the user, in the panel's own settings
    focus(false);
    EXPECT_EQ(hiding(1), "dodgewindows") << "the choice made while hidden stays";
    EXPECT_EQ(hiding(2), "windowsbelow") << "the user's own value comes back, not 'none'";
}

}  // namespace
}  // namespace quorvel

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
