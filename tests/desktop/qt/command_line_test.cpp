#include "program/command_line.h"

#include <gtest/gtest.h>

namespace quorvel::program {
namespace {

TEST(QtCommandLine, QtsOwnOptionsPassWithTheirValuesAndDisplayIsRead) {
    EXPECT_EQ(qtOptionLength("-style"), 2u);
    EXPECT_EQ(qtOptionLength("--platform=offscreen"), 1u);
    EXPECT_EQ(qtOptionLength("-reverse"), 1u);
    EXPECT_EQ(qtOptionLength("--frobnicate"), 0u);
    EXPECT_EQ(qtDisplayOption("-display", ":3"), ":3");
    EXPECT_EQ(qtDisplayOption("--display=:4", ""), ":4");
}

}  // namespace
}  // namespace quorvel::program
