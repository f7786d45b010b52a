#include "services/version_comparison.h"

#include <gtest/gtest.h>

namespace quorvel::services {
namespace {

struct Ordered {
    const char* older;
    const char* newer;
};

TEST(VersionComparison, OrdersReleasesAsUsersExpect) {
    const Ordered cases[] = {
        {"1.9", "1.10"},
        {"1.2.9", "1.3"},
        {"0.9.9", "1.0"},
        {"1.0", "1.0.1"},
        {"2", "10"},
        {"1.2-beta.1", "1.2"},
        {"1.2rc1", "1.2"},
        {"1.2-alpha", "1.2-beta"},
        {"1.2-beta.2", "1.2-beta.10"},
        {"1.2-beta", "1.2-rc.1"},
        {"1.2b3", "1.2rc1"},
        {"1.1", "1.2-beta"},
        {"1.2-rc", "1.2-rc.1"},
        {"v1.2", "v1.3"},
        {"1.0.99999999999999999999", "1.1"},
    };
    for (const auto& c : cases) {
        EXPECT_LT(compareVersions(c.older, c.newer), 0) << c.older << " < " << c.newer;
        EXPECT_GT(compareVersions(c.newer, c.older), 0) << c.newer << " > " << c.older;
    }
}

}  // namespace
}  // namespace quorvel::services
