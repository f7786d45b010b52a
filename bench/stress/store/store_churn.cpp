// Changes settings far faster than a person would, until it is killed: the
// store-kill stress run checks what a SIGKILL at any moment leaves on disk.
// Every value carries one counter that only grows, so a file can be judged
// without knowing when the kill came: each key must hold a value this program
// wrote, never one older than the file held before the run.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "core/preference_store.h"
#include "core/virtual_scheduler.h"

namespace {

using quorvel::core::PreferenceStore;
using quorvel::core::PreferenceValue;

const char* const kKeys[] = {"integer", "double", "string", "data", "dictionary"};

PreferenceValue valueFor(const std::string& key, std::int64_t n) {
    if (key == "integer") return n;
    if (key == "double") return static_cast<double>(n) + 0.25;
    if (key == "string") return "v" + std::to_string(n);
    if (key == "data") return quorvel::core::toBytes(std::to_string(n));
    return quorvel::core::IntDictionary{{"n", n}};
}

std::int64_t counterOf(const PreferenceStore& store, const std::string& key) {
    if (key == "integer") return store.integerForKey(key);
    if (key == "double") return static_cast<std::int64_t>(store.doubleForKey(key));
    if (key == "string") return std::atoll(store.stringForKey(key).value_or("v0").c_str() + 1);
    if (key == "data") {
        return std::atoll(
            quorvel::core::toString(store.dataForKey(key).value_or(quorvel::core::Bytes{}))
                .c_str());
    }
    const auto dict = store.dictionaryForKey(key).value_or(quorvel::core::IntDictionary{});
    return dict.count("n") ? dict.at("n") : 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s FILE SEED\n", argv[0]);
        return 64;
    }
    quorvel::core::VirtualScheduler scheduler{0.0};
    PreferenceStore store(argv[1], scheduler);
    std::int64_t counter = 0;
    for (const char* key : kKeys) counter = std::max(counter, counterOf(store, key));
    std::puts("ready");
    std::fflush(stdout);
    std::mt19937 random(static_cast<unsigned>(std::atoi(argv[2])));
    // 0.2 s of store time every 100 changes: a file write about every 50 ms.
    for (;;) {
        const std::string key = kKeys[random() % std::size(kKeys)];
        store.set(key, valueFor(key, ++counter));
        scheduler.advance(0.002);
        ::usleep(500);
    }
}
