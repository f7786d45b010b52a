#include "core/preference_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "core/base64.h"
#include "core/log.h"

namespace quorvel::core {

namespace {

using nlohmann::json;

// Bytes are wrapped so that they stay distinguishable from text and from a
// dictionary (whose keys are decimal ids, never "$data").
constexpr const char* kDataKey = "$data";
constexpr double kWriteDelay = 0.2;
// Our own files are a few kilobytes. Anything far larger or deeper was not
// written by us, and parsing it whole can take gigabytes (50 MB of '[' does).
constexpr std::uintmax_t kMaxFileSize = 1 << 20;
constexpr int kMaxDepth = 32;
constexpr const char* kTmpInfix = ".tmp-";

json encode(const PreferenceValue& value) {
    return std::visit(
        [](const auto& v) -> json {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, Bytes>) {
                return json{{kDataKey, base64Encode(v)}};
            } else {
                return json(v);
            }
        },
        value);
}

// A value that cannot be read names why, so the log says what was skipped.
struct Decoded {
    std::optional<PreferenceValue> value;
    const char* reason = "";
};

Decoded decode(const json& j) {
    if (j.is_boolean()) return {j.get<bool>()};
    if (j.is_number_unsigned() && j.get<std::uint64_t>() > INT64_MAX) {
        return {std::nullopt, "an integer too large"};
    }
    if (j.is_number_integer()) return {j.get<std::int64_t>()};
    if (j.is_number_float()) return {j.get<double>()};
    if (j.is_string()) return {j.get<std::string>()};
    if (j.is_null()) return {std::nullopt, "null"};
    if (j.is_array()) return {std::nullopt, "a list"};
    if (!j.is_object()) return {std::nullopt, "an unknown kind of value"};
    if (j.size() == 1 && j.contains(kDataKey) && j[kDataKey].is_string()) {
        auto bytes = base64Decode(j[kDataKey].get<std::string>());
        if (!bytes) return {std::nullopt, "data that is not base64"};
        return {PreferenceValue(std::move(*bytes))};
    }
    IntDictionary dict;
    for (const auto& [k, v] : j.items()) {
        if (!v.is_number_integer()) return {std::nullopt, "a dictionary with a non-integer entry"};
        dict[k] = v.get<std::int64_t>();
    }
    return {PreferenceValue(std::move(dict))};
}

std::string timestamp() {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y%m%d-%H%M%S", &tm);
    return buf;
}

// Two unreadable files within one second must not share a name: the second
// would replace the first, and that one holds what the user had. Checking and
// moving in one step (no replace) leaves no gap between the two.
std::error_code moveAside(const std::filesystem::path& file, std::filesystem::path& aside) {
    const std::string base = file.string() + ".corrupt-" + timestamp();
    for (int n = 1; n < 1000; ++n) {
        aside = n == 1 ? base : base + "-" + std::to_string(n);
        int moved = ::renameat2(AT_FDCWD, file.c_str(), AT_FDCWD, aside.c_str(), RENAME_NOREPLACE);
        // WORKAROUND(NFS and other file systems without RENAME_NOREPLACE): a hard link never
        // replaces.
        if (moved != 0 && errno == EINVAL && ::link(file.c_str(), aside.c_str()) == 0) {
            moved = ::unlink(file.c_str());
        }
        if (moved == 0) return {};
        if (errno != EEXIST) return {errno, std::generic_category()};
    }
    return std::make_error_code(std::errc::file_exists);
}

bool writeAll(int fd, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Temporary file, fsync, rename: a crash at any moment leaves either the old
// file or the new one, never a torn one.
bool writeAtomically(const std::filesystem::path& file, const std::string& data) {
    std::error_code ec;
    std::filesystem::create_directories(file.parent_path(), ec);
    const std::filesystem::path tmp = file.string() + kTmpInfix + std::to_string(::getpid());
    const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    const bool ok = writeAll(fd, data) && ::fchmod(fd, 0600) == 0 && ::fsync(fd) == 0;
    ::close(fd);
    if (!ok || ::rename(tmp.c_str(), file.c_str()) != 0) {
        ::unlink(tmp.c_str());
        return false;
    }
    const int dir = ::open(file.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

struct TooDeep {};

// The document, or why the file cannot be one of ours.
std::variant<json, const char*> readBounded(const std::filesystem::path& file) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(file, ec);
    if (ec) return "it cannot be read";
    if (size > kMaxFileSize) return "it is larger than 1 MiB";
    std::ifstream in(file, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    if (!in && !in.eof()) return "it cannot be read";
    const json::parser_callback_t bound = [](int depth, json::parse_event_t, json&) {
        if (depth > kMaxDepth) throw TooDeep{};
        return true;
    };
    try {
        json doc = json::parse(buffer.str(), bound, false);
        if (!doc.is_object()) return "it is not a JSON object";
        return doc;
    } catch (const TooDeep&) {
        return "it is nested deeper than 32";
    }
}

// A write killed between creating its temporary file and renaming it leaves
// the file behind; no later write reuses the name, so they would pile up.
void removeStaleTemporaries(const std::filesystem::path& file) {
    const std::string prefix = file.filename().string() + kTmpInfix;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(file.parent_path(), ec)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(prefix, 0) != 0) continue;
        const std::string digits = name.substr(prefix.size());
        if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos) continue;
        const long pid = std::strtol(digits.c_str(), nullptr, 10);
        // A live writer, other than us, may still rename its file into place.
        const bool writerAlive =
            pid != ::getpid() && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
        if (writerAlive || !std::filesystem::remove(entry.path(), ec)) continue;
        log("🧹 Removed " + entry.path().string() + ", left by an interrupted settings write");
    }
}

}  // namespace

Bytes toBytes(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

std::string toString(const Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

PreferenceStore::PreferenceStore(std::filesystem::path file, Scheduler& scheduler)
    : file_(std::move(file)), scheduler_(scheduler) {
    load();
}

PreferenceStore::PreferenceStore(Scheduler& scheduler) : scheduler_(scheduler) {}

PreferenceStore::~PreferenceStore() {
    flush();
}

void PreferenceStore::load() {
    removeStaleTemporaries(file_);
    std::error_code ec;
    if (!std::filesystem::exists(file_, ec)) return;
    const auto read = readBounded(file_);
    if (const auto* doc = std::get_if<json>(&read)) {
        // One value that cannot be read costs only itself, never the others.
        for (const auto& [key, j] : doc->items()) {
            auto decoded = decode(j);
            if (decoded.value) {
                values_.emplace(key, std::move(*decoded.value));
            } else {
                log("⚠️ Settings file " + file_.string() + ": skipped \"" + key + "\" (" +
                    decoded.reason + ")");
            }
        }
        return;
    }
    const std::string why = std::get<const char*>(read);
    // Never overwrite what the user had: keep the unreadable file beside us.
    std::filesystem::path aside;
    ec = moveAside(file_, aside);
    if (!ec) {
        log("⚠️ Settings file " + file_.string() + " could not be used (" + why +
            "); moved it to " + aside.string() + " and started from defaults");
        return;
    }
    // Saving now would write over the only copy of what the user had.
    keepOffFile_ = true;
    log("⚠️ Settings file " + file_.string() + " could not be used (" + why +
        ") nor moved aside (" + ec.message() +
        "); started from defaults and will not save changes over it");
}

void PreferenceStore::registerDefaults(const std::map<std::string, PreferenceValue>& defaults) {
    for (const auto& [k, v] : defaults) defaults_[k] = v;
}

std::optional<PreferenceValue> PreferenceStore::object(const std::string& key) const {
    if (auto it = values_.find(key); it != values_.end()) return it->second;
    if (auto it = defaults_.find(key); it != defaults_.end()) return it->second;
    return std::nullopt;
}

bool PreferenceStore::boolForKey(const std::string& key) const {
    auto v = object(key);
    if (!v) return false;
    if (auto b = std::get_if<bool>(&*v)) return *b;
    if (auto i = std::get_if<std::int64_t>(&*v)) return *i != 0;
    if (auto d = std::get_if<double>(&*v)) return *d != 0.0;
    if (auto s = std::get_if<std::string>(&*v)) {
        return *s == "YES" || *s == "yes" || *s == "true" || *s == "TRUE" || *s == "1";
    }
    return false;
}

std::int64_t PreferenceStore::integerForKey(const std::string& key) const {
    auto v = object(key);
    if (!v) return 0;
    if (auto b = std::get_if<bool>(&*v)) return *b ? 1 : 0;
    if (auto i = std::get_if<std::int64_t>(&*v)) return *i;
    if (auto d = std::get_if<double>(&*v)) {
        // Converting a double outside the integers' range is undefined.
        constexpr double kLimit = 9.2e18;
        return std::isfinite(*d) && std::abs(*d) < kLimit ? static_cast<std::int64_t>(*d) : 0;
    }
    if (auto s = std::get_if<std::string>(&*v)) {
        try {
            return std::stoll(*s);
        } catch (...) {
            return 0;
        }
    }
    return 0;
}

double PreferenceStore::doubleForKey(const std::string& key) const {
    auto v = object(key);
    if (!v) return 0.0;
    if (auto b = std::get_if<bool>(&*v)) return *b ? 1.0 : 0.0;
    if (auto i = std::get_if<std::int64_t>(&*v)) return static_cast<double>(*i);
    if (auto d = std::get_if<double>(&*v)) return *d;
    if (auto s = std::get_if<std::string>(&*v)) {
        try {
            return std::stod(*s);
        } catch (...) {
            return 0.0;
        }
    }
    return 0.0;
}

std::optional<std::string> PreferenceStore::stringForKey(const std::string& key) const {
    auto v = object(key);
    if (!v) return std::nullopt;
    if (auto s = std::get_if<std::string>(&*v)) return *s;
    if (auto i = std::get_if<std::int64_t>(&*v)) return std::to_string(*i);
    if (auto d = std::get_if<double>(&*v)) {
        std::ostringstream out;
        out << *d;
        return out.str();
    }
    return std::nullopt;
}

std::optional<Bytes> PreferenceStore::dataForKey(const std::string& key) const {
    auto v = object(key);
    if (!v) return std::nullopt;
    if (auto b = std::get_if<Bytes>(&*v)) return *b;
    return std::nullopt;
}

std::optional<IntDictionary> PreferenceStore::dictionaryForKey(const std::string& key) const {
    auto v = object(key);
    if (!v) return std::nullopt;
    if (auto d = std::get_if<IntDictionary>(&*v)) return *d;
    return std::nullopt;
}

void PreferenceStore::set(const std::string& key, PreferenceValue value) {
    auto it = values_.find(key);
    if (it != values_.end() && it->second == value) return;  // unchanged: no rewrite
    values_[key] = std::move(value);
    markDirty();
}

void PreferenceStore::remove(const std::string& key) {
    if (values_.erase(key) > 0) markDirty();
}

void PreferenceStore::markDirty() {
    if (file_.empty() || keepOffFile_) return;
    dirty_ = true;
    if (!writeTimer_.isActive()) {
        writeTimer_ = scheduler_.after(kWriteDelay, TimerMode::Common, [this] { flush(); });
    }
}

void PreferenceStore::flush() {
    writeTimer_.cancel();
    if (!dirty_ || file_.empty() || keepOffFile_) return;
    json doc = json::object();
    for (const auto& [k, v] : values_) doc[k] = encode(v);
    if (writeAtomically(file_, doc.dump(2) + "\n")) {
        dirty_ = false;
    } else {
        log("⚠️ Could not write settings file " + file_.string() + ": " + std::strerror(errno));
    }
}

}  // namespace quorvel::core
