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
    bool runs;
    const char* mentions;  // part of the refusal line
};

TEST(SessionEnvironment, RunsOnlyWithAnX11Display) {
    const SessionCase cases[] = {
        {"plain X11", {{"DISPLAY", ":0"}}, true, ""},
        {"X11 session type", {{"DISPLAY", ":1"}, {"XDG_SESSION_TYPE", "x11"}}, true, ""},
        {"GNOME on Wayland with Xwayland",
         {{"DISPLAY", ":0"}, {"WAYLAND_DISPLAY", "wayland-0"}, {"XDG_CURRENT_DESKTOP", "GNOME"}},
         false,
         "GNOME on Wayland"},
        {"Wayland socket only", {{"WAYLAND_DISPLAY", "wayland-0"}}, false, "Wayland"},
        {"Wayland session type only", {{"XDG_SESSION_TYPE", "wayland"}}, false, "Wayland"},
        {"empty DISPLAY in Wayland",
         {{"DISPLAY", ""}, {"XDG_SESSION_TYPE", "wayland"}},
         false,
         "Wayland"},
        {"nothing at all", {}, false, "no display"},
        {"tty session", {{"XDG_SESSION_TYPE", "tty"}}, false, "no display"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        auto problem = x11SessionProblem(fakeEnvironment(c.vars));
        EXPECT_EQ(!problem.has_value(), c.runs);
        if (problem) {
            EXPECT_NE(problem->find("needs an X11 session"), std::string::npos) << *problem;
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
