// The whole of Quorvel on the simulated desktop: focus across lock, wake and
// quit, and the commands scripts send.
#include <gtest/gtest.h>

#include <map>

#include "app/remote_control.h"
#include "app/session_environment.h"
#include "sim/sim_test.h"

namespace quorvel::sim {
namespace {

class ApplicationTest : public SimTest {
protected:
    ApplicationTest() {
        harness.scripts.setPanel("dock", "1", "0");
        harness.scripts.setPanel("top", "2", "1");
        harness.panelScripts = SimScriptService::panelScripts();
        editor = open("Editor", {100, 100, 800, 600});
    }
    bool veiled() { return desktop.shownVeils() > 0; }

    ports::WindowId editor = 0;
};

TEST_F(ApplicationTest, LockTakesTheVeilAwayUntilAThirdOfASecondAfterTheUnlock) {
    auto& application = focusOn();
    harness.session.lock();
    harness.ticks(1);
    EXPECT_FALSE(veiled());
    EXPECT_TRUE(application.session().isOn()) << "focus itself stays on";
    harness.session.wake();  // while locked: the unlock brings the veil back
    harness.advance(1.0);
    EXPECT_FALSE(veiled());
    harness.session.unlock();
    harness.advance(0.25);
    EXPECT_FALSE(veiled());
    harness.advance(0.1);
    EXPECT_TRUE(veiled());
    harness.session.wake();
    harness.ticks(1);
    EXPECT_FALSE(veiled()) << "a wake restarts the veils too";
    harness.advance(0.3);
    EXPECT_TRUE(veiled());
}

TEST_F(ApplicationTest, QuitFadesTheVeilAndGivesThePanelsBackAsTheUserHadThem) {
    auto& application = focusOn({{"isAutoHideEnabled", true}});
    EXPECT_EQ(harness.scripts.value("dock", "1"), "2") << "hidden while focus is on";
    application.quit();
    harness.ticks(1);
    EXPECT_FALSE(veiled());
    EXPECT_EQ(harness.scripts.value("dock", "1"), "0");
    EXPECT_EQ(harness.scripts.value("top", "2"), "1");
    EXPECT_EQ(harness.session.observerCount(), 0u);
    EXPECT_EQ(harness.presence.activationPolicy(), ports::ActivationPolicy::Accessory);
}

TEST_F(ApplicationTest, ScriptsExcludeTheApplicationTheUserClickedLastAndHearOfEachChange) {
    auto& application = focusOn();
    app::RemoteControl remote(application);
    std::vector<std::string> changes;
    remote.onChange([&](const app::RemoteState& now, const app::RemoteState&) {
        changes.push_back(std::string(now.focusOn ? "on " : "off ") + now.mode +
                          (now.excluded ? " excluded" : ""));
    });
    // A compositor reports a click a moment after the user made it; the
    // command still acts on the window the user clicked.
    desktop.setReportsLate(true);
    const auto files = open("Files", {200, 200, 600, 400});
    EXPECT_TRUE(remote.excludeFront());
    EXPECT_TRUE(application.excludedApps().isExcluded("Files"));
    EXPECT_FALSE(application.excludedApps().isExcluded("Editor"));
    harness.ticks(1);
    desktop.activate(editor);
    harness.ticks(1);
    desktop.activate(files);
    harness.ticks(1);
    EXPECT_TRUE(remote.includeFront());
    harness.ticks(1);
    EXPECT_EQ(changes, (std::vector<std::string>{"on deep excluded", "on deep", "on deep excluded",
                                                 "on deep"}));
}

app::EnvironmentLookup fakeEnvironment(std::map<std::string, std::string> vars) {
    return [vars](const std::string& name) -> std::optional<std::string> {
        auto it = vars.find(name);
        if (it == vars.end()) return std::nullopt;
        return it->second;
    };
}

struct SessionCase {
    const char* label;
    std::map<std::string, std::string> vars;
    bool component;        // the compositor's Quorvel component answers
    const char* mentions;  // part of the refusal line; null when the program runs
};

// Sway, a Wayland session type and no display at all are program_test.py's.
TEST(SessionEnvironment, RunsWhereAVeilCanBePlacedBelowTheFrontWindow) {
    const std::map<std::string, std::string> kdeWayland{
        {"DISPLAY", ":0"}, {"WAYLAND_DISPLAY", "wayland-0"}, {"XDG_CURRENT_DESKTOP", "KDE"}};
    const std::map<std::string, std::string> gnomeWayland{{"DISPLAY", ":0"},
                                                          {"WAYLAND_DISPLAY", "wayland-0"},
                                                          {"XDG_CURRENT_DESKTOP", "ubuntu:GNOME"}};
    const SessionCase cases[] = {
        {"plain X11", {{"DISPLAY", ":0"}}, false, nullptr},
        {"X11 session type", {{"DISPLAY", ":1"}, {"XDG_SESSION_TYPE", "x11"}}, false, nullptr},
        {"GNOME on Wayland with the extension", gnomeWayland, true, nullptr},
        {"GNOME on Wayland without it", gnomeWayland, false, "gnome-extensions enable quorvel@"},
        {"GNOME on Wayland without Xwayland: native windows",
         {{"WAYLAND_DISPLAY", "wayland-0"}, {"XDG_CURRENT_DESKTOP", "GNOME"}},
         true,
         nullptr},
        {"KDE on Wayland with the effect", kdeWayland, true, nullptr},
        {"KDE on Wayland without it", kdeWayland, false, "needs its KWin effect"},
        {"tty session", {{"XDG_SESSION_TYPE", "tty"}}, false, "no display"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        auto problem = app::sessionProblem(fakeEnvironment(c.vars), c.component);
        EXPECT_EQ(!problem.has_value(), c.mentions == nullptr);
        if (problem && c.mentions) {
            EXPECT_NE(problem->find(c.mentions), std::string::npos) << *problem;
            EXPECT_EQ(problem->find('\n'), std::string::npos);  // one line
        }
    }
}

TEST(SessionEnvironment, DisplayKeyNamesOneDisplayOnce) {
    EXPECT_EQ(app::displayKey(":1"), "1");
    EXPECT_EQ(app::displayKey(":1.0"), app::displayKey(":1"));
    EXPECT_EQ(app::displayKey("localhost:1"), app::displayKey(":1"));
    EXPECT_NE(app::displayKey(":1"), app::displayKey(":10"));
    EXPECT_NE(app::displayKey("otherhost:1"), app::displayKey(":1"));
    // Never a path separator, whatever the variable holds.
    EXPECT_EQ(app::displayKey("/tmp/launch-x/org.xquartz:0").find('/'), std::string::npos);
}

}  // namespace
}  // namespace quorvel::sim
