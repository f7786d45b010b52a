#include "desktop/sim/sim_replay.h"

#include <gtest/gtest.h>

#include <sstream>

namespace quorvel::sim {
namespace {

TEST(ReplayScript, ParsesTimedCommandsInTimeOrder) {
    std::string error;
    auto script = parseScript(
        "# a comment\n"
        "0.5 raise 201\n"
        "\n"
        "0.0 window 201 \"Text Editor\" 1 2 300 400 title My notes\n"
        "2.0 end\n",
        error);
    ASSERT_TRUE(script) << error;
    ASSERT_EQ(script->events.size(), 2u);
    EXPECT_EQ(script->events[0].words,
              (std::vector<std::string>{"window", "201", "Text Editor", "1", "2", "300", "400",
                                        "title", "My", "notes"}));
    EXPECT_EQ(script->events[1].time, 0.5);
    EXPECT_EQ(script->endTime, 2.0);
}

TEST(ReplayScript, RejectsMalformedLinesWithTheirNumber) {
    for (const char* text : {"raise 201\n", "0.1\n", "0.1 window 5 \"open\n", "-1 raise 2\n"}) {
        std::string error;
        EXPECT_FALSE(parseScript(text, error)) << text;
        EXPECT_NE(error.find("line 1"), std::string::npos) << error;
    }
}

TEST(ReplayScript, PrintsTheStackingAfterEveryTick) {
    std::string error;
    auto script = parseScript(
        "0.0 monitor 1 0 0 1920 1080\n"
        "0.0 window 201 Terminal 100 100 800 600\n"
        "0.0 window 202 Editor 400 200 900 700\n"
        "0.0 duration 0\n"
        "0.0 focus on\n"
        "0.25 raise 201\n"
        "0.5 end\n",
        error);
    ASSERT_TRUE(script) << error;
    SimHarness harness;
    std::ostringstream out;
    ASSERT_TRUE(SimReplay(harness).run(*script, out)) << out.str();
    std::vector<std::string> lines;
    std::istringstream in(out.str());
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0].substr(8), "Editor#202 [veil:1 a=1.00] Terminal#201 Wallpaper#101");
    EXPECT_EQ(lines[1].substr(8), lines[0].substr(8));
    EXPECT_EQ(lines[2].substr(8), "Terminal#201 [veil:1 a=1.00] Editor#202 Wallpaper#101")
        << "raised at 0.25 s, followed at the 0.3 s tick";
}

TEST(ReplayScript, ReportsACommandItCannotCarryOut) {
    std::string error;
    auto script = parseScript("0.0 teleport 5\n0.2 end\n", error);
    ASSERT_TRUE(script);
    SimHarness harness;
    std::ostringstream out;
    EXPECT_FALSE(SimReplay(harness).run(*script, out));
    EXPECT_NE(out.str().find("line 1: cannot read 'teleport'"), std::string::npos) << out.str();
}

}  // namespace
}  // namespace quorvel::sim
