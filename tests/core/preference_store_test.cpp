#include "core/preference_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <nlohmann/json.hpp>
#include <set>

#include "core/log.h"
#include "core/virtual_scheduler.h"
#include "sim/temp_dir.h"

namespace quorvel::core {
namespace {

using quorvel::testing::readFile;
using quorvel::testing::stampOf;
using quorvel::testing::TempDir;
using quorvel::testing::writeFile;

class PreferenceStoreTest : public ::testing::Test {
protected:
    std::filesystem::path file() const { return dir_ / "quorvel" / "com.quorvel.settings.json"; }
    std::unique_ptr<PreferenceStore> open() {
        return std::make_unique<PreferenceStore>(file(), scheduler_);
    }
    nlohmann::json fileJson() const { return nlohmann::json::parse(readFile(file())); }
    std::vector<std::string> dirEntries() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(file().parent_path())) {
            names.push_back(e.path().filename().string());
        }
        return names;
    }

    TempDir dir_;
    VirtualScheduler scheduler_{0.0};
};

TEST_F(PreferenceStoreTest, WritesAreCoalescedIntoOneFileWriteWithinAQuarterSecond) {
    auto store = open();
    store->set("grainIntensity", 0.0);
    store->flush();
    const auto before = stampOf(file());
    for (int i = 1; i <= 10; ++i) {
        store->set("grainIntensity", i / 10.0);
        scheduler_.advance(0.01);
    }
    EXPECT_EQ(stampOf(file()), before) << "the file must wait for the write timer";
    EXPECT_DOUBLE_EQ(fileJson()["grainIntensity"].get<double>(), 0.0);

    scheduler_.advance(0.15);  // 0.25 s after the first of the ten writes
    const auto after = stampOf(file());
    EXPECT_NE(after, before);
    EXPECT_DOUBLE_EQ(fileJson()["grainIntensity"].get<double>(), 1.0);
    EXPECT_FALSE(store->hasPendingWrite());

    scheduler_.advance(5.0);
    EXPECT_EQ(stampOf(file()), after) << "one burst, one write";
}

TEST_F(PreferenceStoreTest, AFileThatIsNotAJsonObjectIsKeptAsideAndDefaultsAreUsed) {
    // All kept aside within one second, so each needs a name of its own. The
    // last two are valid objects, but too deep or too large to be ours.
    const std::pair<std::string, const char*> cases[] = {
        {"{\"isOverlayEnabled\": fal", "not a JSON object"},
        {"[1,2]", "not a JSON object"},
        {"\"text\"", "not a JSON object"},
        {"{\"a\": " + std::string(40, '[') + std::string(40, ']') + "}", "nested deeper than 32"},
        {"{\"isOverlayEnabled\": false}" + std::string(1 << 20, ' '), "larger than 1 MiB"}};
    const std::string prefix = file().filename().string() + ".corrupt-";
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& [broken, reason] = cases[i];
        SCOPED_TRACE(reason);
        writeFile(file(), broken);
        LogCapture capture;
        auto store = open();
        store->registerDefaults({{"isOverlayEnabled", true}});
        EXPECT_TRUE(store->boolForKey("isOverlayEnabled"));
        ASSERT_EQ(capture.lines().size(), 1u);
        EXPECT_NE(capture.lines()[0].find(reason), std::string::npos) << capture.lines()[0];
        EXPECT_NE(capture.lines()[0].find(prefix), std::string::npos) << "it says where it went";
        const auto entries = dirEntries();
        EXPECT_EQ(entries.size(), i + 1) << "the file itself is gone, each earlier one kept";
        EXPECT_EQ(std::count_if(entries.begin(), entries.end(),
                                [&](const std::string& name) {
                                    return name.rfind(prefix, 0) == 0 &&
                                           readFile(file().parent_path() / name) == broken;
                                }),
                  1)
            << "nothing the user had is lost";
        store->set("isOverlayEnabled", false);
        store->flush();
        EXPECT_EQ(fileJson(), (nlohmann::json{{"isOverlayEnabled", false}}));
    }
}

TEST_F(PreferenceStoreTest, OneUnreadableValueIsSkippedAndEveryOtherValueKept) {
    const struct {
        const char* json;
        const char* reason;
    } cases[] = {{"null", "null"},
                 {"[1]", "a list"},
                 {"{\"$data\": \"@@\"}", "base64"},
                 {"{\"7\": 1, \"8\": \"x\"}", "non-integer"},
                 {"18446744073709551615", "too large"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.json);
        writeFile(file(), std::string("{\"grainIntensity\": 0.5, \"bad\": ") + c.json +
                              ", \"focusMode\": \"deep\", \"ids\": {\"3\": 4}}");
        LogCapture capture;
        auto store = open();
        EXPECT_DOUBLE_EQ(store->doubleForKey("grainIntensity"), 0.5);
        EXPECT_EQ(store->stringForKey("focusMode"), "deep");
        EXPECT_EQ(store->dictionaryForKey("ids"), (IntDictionary{{"3", 4}}));
        EXPECT_FALSE(store->holdsObject("bad"));
        ASSERT_EQ(capture.lines().size(), 1u);
        EXPECT_NE(capture.lines()[0].find("\"bad\""), std::string::npos) << capture.lines()[0];
        EXPECT_NE(capture.lines()[0].find(c.reason), std::string::npos) << capture.lines()[0];
        EXPECT_EQ(dirEntries().size(), 1u) << "nothing moved aside";

        store->set("isOverlayEnabled", true);
        store->flush();
        EXPECT_EQ(fileJson(), (nlohmann::json{{"grainIntensity", 0.5},
                                              {"focusMode", "deep"},
                                              {"ids", {{"3", 4}}},
                                              {"isOverlayEnabled", true}}));
    }
}

TEST_F(PreferenceStoreTest, StartRemovesOnlyTheTemporaryFilesOfDeadWriters) {
    writeFile(file(), "{}");
    const std::string tmp = file().filename().string() + ".tmp-";
    const std::string dead = tmp + "999999999", ours = tmp + std::to_string(::getpid());
    for (const auto& name : {dead, ours, tmp + "1", tmp + "x", std::string("other.tmp-5")}) {
        writeFile(file().parent_path() / name, "{");
    }
    auto store = open();
    std::set<std::string> left;
    for (const auto& name : dirEntries()) left.insert(name);
    EXPECT_EQ(left, (std::set<std::string>{file().filename().string(), tmp + "1", tmp + "x",
                                           "other.tmp-5"}));
}

TEST_F(PreferenceStoreTest, AnUnreadableFileThatCannotBeMovedAsideIsNeverWrittenOver) {
    // Room for the name of a temporary file, but not for the longer aside name.
    const auto path = file().parent_path() / std::string(254 - 20, 'q');
    writeFile(path, "{\"isOverlayEnabled\": tru");
    LogCapture capture;
    PreferenceStore store(path, scheduler_);
    store.set("isOverlayEnabled", false);
    store.flush();
    EXPECT_EQ(readFile(path), "{\"isOverlayEnabled\": tru");
    ASSERT_EQ(capture.lines().size(), 1u);
    EXPECT_NE(
        capture.lines()[0].find(
            "could not be used (it is not a JSON object) nor moved aside (File name too long)"),
        std::string::npos)
        << capture.lines()[0];
}

}  // namespace
}  // namespace quorvel::core
