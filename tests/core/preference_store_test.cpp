#include "core/preference_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <nlohmann/json.hpp>

#include "core/log.h"
#include "core/temp_dir.h"
#include "core/virtual_scheduler.h"

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

struct ReadCase {
    const char* label;
    PreferenceValue stored;
    bool asBool;
    std::int64_t asInteger;
    double asDouble;
    std::optional<std::string> asString;
};

TEST_F(PreferenceStoreTest, TypedReadsConvertLikeTheUserDefaults) {
    const ReadCase cases[] = {
        {"true", true, true, 1, 1.0, std::nullopt},
        {"int 3", std::int64_t{3}, true, 3, 3.0, "3"},
        {"int 0", std::int64_t{0}, false, 0, 0.0, "0"},
        {"double 0.5", 0.5, true, 0, 0.5, "0.5"},
        {"text YES", std::string("YES"), true, 0, 0.0, "YES"},
        {"text 42", std::string("42"), false, 42, 42.0, "42"},
        {"text junk", std::string("junk"), false, 0, 0.0, "junk"},
        {"bytes", toBytes("ab"), false, 0, 0.0, std::nullopt},
    };
    auto store = open();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        store->set("k", c.stored);
        EXPECT_EQ(store->boolForKey("k"), c.asBool);
        EXPECT_EQ(store->integerForKey("k"), c.asInteger);
        EXPECT_DOUBLE_EQ(store->doubleForKey("k"), c.asDouble);
        EXPECT_EQ(store->stringForKey("k"), c.asString);
    }
    EXPECT_FALSE(store->boolForKey("missing"));
    EXPECT_EQ(store->integerForKey("missing"), 0);
    EXPECT_EQ(store->stringForKey("missing"), std::nullopt);
    EXPECT_EQ(store->dataForKey("missing"), std::nullopt);
}

TEST_F(PreferenceStoreTest, RegisteredDefaultsAreReadButNeitherHeldNorWritten) {
    auto store = open();
    store->registerDefaults({{"isOverlayEnabled", true}, {"grainIntensity", 0.5}});
    EXPECT_TRUE(store->boolForKey("isOverlayEnabled"));
    EXPECT_DOUBLE_EQ(store->doubleForKey("grainIntensity"), 0.5);
    EXPECT_FALSE(store->holdsObject("isOverlayEnabled"));
    EXPECT_FALSE(store->hasPendingWrite());

    store->set("isOverlayEnabled", false);
    EXPECT_TRUE(store->holdsObject("isOverlayEnabled"));
    EXPECT_FALSE(store->boolForKey("isOverlayEnabled"));
    store->flush();
    EXPECT_EQ(fileJson(), (nlohmann::json{{"isOverlayEnabled", false}}));

    store->remove("isOverlayEnabled");  // the default shows through again
    EXPECT_TRUE(store->boolForKey("isOverlayEnabled"));
    EXPECT_FALSE(store->holdsObject("isOverlayEnabled"));
}

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

TEST_F(PreferenceStoreTest, AtomicWriteLeavesOnlyTheFileWithValidJsonAndMode0600) {
    auto store = open();
    store->set("focusMode", std::string("ambient"));
    store->set("opacityValue", 0.75);
    scheduler_.advance(0.25);
    EXPECT_EQ(dirEntries(), (std::vector<std::string>{file().filename().string()}));
    const auto doc = fileJson();
    EXPECT_EQ(doc["focusMode"], "ambient");
    EXPECT_DOUBLE_EQ(doc["opacityValue"].get<double>(), 0.75);
    struct stat st {};
    ASSERT_EQ(::stat(file().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(PreferenceStoreTest, AnUnchangedValueIsNotRewritten) {
    auto store = open();
    store->set("isSingleMode", true);
    store->set("shortcut", toBytes("{}"));
    store->flush();
    const auto before = stampOf(file());
    store->set("isSingleMode", true);
    store->set("shortcut", toBytes("{}"));
    EXPECT_FALSE(store->hasPendingWrite());
    scheduler_.advance(1.0);
    EXPECT_EQ(stampOf(file()), before);
}

TEST_F(PreferenceStoreTest, AnUnreadableFileIsKeptAsideAndDefaultsAreUsed) {
    const std::string prefix = file().filename().string() + ".corrupt-";
    for (const std::string broken :
         {"{\"isOverlayEnabled\": fal", "[1,2]", "\"text\"", "{\"isOverlayEnabled\": [1]}",
          "{\"isOverlayEnabled\": {\"$data\": \"@@\"}}"}) {
        SCOPED_TRACE(broken);
        std::filesystem::remove_all(file().parent_path());
        writeFile(file(), broken);
        LogCapture capture;
        auto store = open();
        store->registerDefaults({{"isOverlayEnabled", true}});
        EXPECT_TRUE(store->boolForKey("isOverlayEnabled"));
        EXPECT_FALSE(store->holdsObject("isOverlayEnabled"));

        ASSERT_EQ(capture.lines().size(), 1u);
        EXPECT_EQ(capture.lines()[0].rfind("⚠️", 0), 0u) << capture.lines()[0];
        const auto entries = dirEntries();
        ASSERT_EQ(entries.size(), 1u);
        EXPECT_EQ(entries[0].rfind(prefix, 0), 0u) << entries[0];
        EXPECT_EQ(readFile(file().parent_path() / entries[0]), broken)
            << "nothing the user had is lost";

        store->set("isOverlayEnabled", false);
        store->flush();
        EXPECT_EQ(dirEntries().size(), 2u);
        EXPECT_EQ(fileJson(), (nlohmann::json{{"isOverlayEnabled", false}}));
    }
}

TEST_F(PreferenceStoreTest, EveryValueKindSurvivesAReopen) {
    const Bytes binary{0x00, 0xFF, 0x7B, 0x22, 0x0A};
    const IntDictionary ids{{"1", 42}, {"724249", -7}};
    {
        auto store = open();
        store->set("flag", true);
        store->set("count", std::int64_t{-3});
        store->set("ratio", 0.25);
        store->set("text", std::string("Dock & Menu Bar"));
        store->set("binary", binary);
        store->set("empty", Bytes{});
        store->set("tracked_window_ids", ids);
    }  // destruction writes what is pending
    auto store = open();
    EXPECT_EQ(store->object("flag"), PreferenceValue(true));
    EXPECT_EQ(store->object("count"), PreferenceValue(std::int64_t{-3}));
    EXPECT_EQ(store->object("ratio"), PreferenceValue(0.25));
    EXPECT_EQ(store->object("text"), PreferenceValue(std::string("Dock & Menu Bar")));
    EXPECT_EQ(store->dataForKey("binary"), binary);
    EXPECT_EQ(store->dataForKey("empty"), Bytes{}) << "a cleared shortcut must stay empty bytes";
    EXPECT_TRUE(store->holdsObject("empty"));
    EXPECT_EQ(store->dictionaryForKey("tracked_window_ids"), ids);
    EXPECT_EQ(store->stringForKey("binary"), std::nullopt);
    EXPECT_EQ(store->dataForKey("tracked_window_ids"), std::nullopt);
}

TEST_F(PreferenceStoreTest, MemoryOnlyStoreNeverTouchesTheDisk) {
    PreferenceStore store(scheduler_);
    store.set("k", true);
    EXPECT_FALSE(store.hasPendingWrite());
    scheduler_.advance(1.0);
    EXPECT_TRUE(store.boolForKey("k"));
    EXPECT_FALSE(std::filesystem::exists(file().parent_path()));
}

}  // namespace
}  // namespace quorvel::core
