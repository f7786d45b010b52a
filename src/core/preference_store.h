#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "core/scheduler.h"

namespace quorvel::core {

using Bytes = std::vector<std::uint8_t>;
using IntDictionary = std::map<std::string, std::int64_t>;
using PreferenceValue = std::variant<bool, std::int64_t, double, std::string, Bytes, IntDictionary>;

Bytes toBytes(std::string_view text);
std::string toString(const Bytes& bytes);

/// A typed key-value store kept in one JSON file. Reads and writes are
/// immediate in memory; the file follows within a quarter second (coalesced,
/// atomic, mode 0600) and on `flush`. Registered defaults live only in memory.
class PreferenceStore {
public:
    /// Loads `file` if it exists. A value that cannot be read is skipped and
    /// logged; a file that is not a JSON object (or is over 1 MiB, or nested
    /// deeper than 32) is moved aside as `<name>.corrupt-<time>[-n]` (never
    /// over an earlier one) and the store starts empty; if it cannot be moved,
    /// the store never writes over it. Temporary files of dead writers are removed.
    PreferenceStore(std::filesystem::path file, Scheduler& scheduler);
    /// A memory-only store (never touches a file).
    explicit PreferenceStore(Scheduler& scheduler);
    ~PreferenceStore();
    PreferenceStore(const PreferenceStore&) = delete;
    PreferenceStore& operator=(const PreferenceStore&) = delete;

    void registerDefaults(const std::map<std::string, PreferenceValue>& defaults);

    /// The stored value, else the registered default, else nothing.
    std::optional<PreferenceValue> object(const std::string& key) const;
    /// True only for a value written to the store (registered defaults do not count).
    bool holdsObject(const std::string& key) const { return values_.count(key) > 0; }

    /// Missing or unconvertible reads as false / 0 / 0.0 / nothing.
    bool boolForKey(const std::string& key) const;
    std::int64_t integerForKey(const std::string& key) const;
    double doubleForKey(const std::string& key) const;
    std::optional<std::string> stringForKey(const std::string& key) const;
    std::optional<Bytes> dataForKey(const std::string& key) const;
    /// Nothing unless the value is a dictionary of integers.
    std::optional<IntDictionary> dictionaryForKey(const std::string& key) const;

    void set(const std::string& key, PreferenceValue value);
    void remove(const std::string& key);

    /// Writes pending changes now; used at quit. Failure is logged and kept pending.
    void flush();
    bool hasPendingWrite() const { return dirty_; }
    const std::filesystem::path& file() const { return file_; }

private:
    void load();
    void markDirty();

    std::filesystem::path file_;
    Scheduler& scheduler_;
    std::map<std::string, PreferenceValue> values_;
    std::map<std::string, PreferenceValue> defaults_;
    bool dirty_ = false;
    bool keepOffFile_ = false;
    Timer writeTimer_;
};

}  // namespace quorvel::core
