// One application's objects: made on demand, kept in files, gone cleanly.
#include "app/app_context.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/log.h"
#include "desktop/sim/sim_harness.h"

namespace quorvel::app {
namespace {

class TempDir {
public:
    TempDir() {
        path_ = std::filesystem::temp_directory_path() /
                ("quorvel-context-" +
                 std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(path_);
    }
    ~TempDir() { std::filesystem::remove_all(path_); }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

TEST(AppContext, SettingsAndTrackedWallpapersGoToTheirOwnFiles) {
    TempDir dir;
    {
        sim::SimHarness harness(dir.path());
        harness.desktop().addMonitor({0, 0, 1920, 1080}, 7);
        harness.desktop().addWindow({"Terminal", {100, 100, 800, 600}});
        harness.context().overlayController().setSingleMode(true);
        harness.context().overlayController().startMonitoring();
        harness.ticks(1);
    }
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "com.quorvel.settings.json"));
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "quorvel.json"));

    sim::SimHarness again(dir.path());
    EXPECT_TRUE(again.context().overlayController().isInSingleMode());
    EXPECT_EQ(again.context().standardStore().dictionaryForKey("tracked_window_ids"),
              (core::IntDictionary{{"7", 101}}));
    EXPECT_FALSE(again.context().settingsStore().holdsObject("tracked_window_ids"));
}

}  // namespace
}  // namespace quorvel::app
