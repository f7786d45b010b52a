#include "app/session_environment.h"

#include <gtest/gtest.h>

#include <map>

namespace quorvel::app {
namespace {

EnvironmentLookup fakeEnvironment(std::map<std::string, std::string> vars) {
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

// Sway, a Wayland session type and no display at all are lifecycle_test.py's.
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
        auto problem = sessionProblem(fakeEnvironment(c.vars), c.component);
        EXPECT_EQ(!problem.has_value(), c.mentions == nullptr);
        if (problem && c.mentions) {
            EXPECT_NE(problem->find(c.mentions), std::string::npos) << *problem;
            EXPECT_EQ(problem->find('\n'), std::string::npos);  // one line
        }
    }
}

TEST(SessionEnvironment, DisplayKeyNamesOneDisplayOnce) {
    EXPECT_EQ(displayKey(":1"), "1");
    EXPECT_EQ(displayKey(":1.0"), displayKey(":1"));
    EXPECT_EQ(displayKey("localhost:1"), displayKey(":1"));
    EXPECT_NE(displayKey(":1"), displayKey(":10"));
    EXPECT_NE(displayKey("otherhost:1"), displayKey(":1"));
    // Never a path separator, whatever the variable holds.
    EXPECT_EQ(displayKey("/tmp/launch-x/org.xquartz:0").find('/'), std::string::npos);
}

}  // namespace
}  // namespace quorvel::app
