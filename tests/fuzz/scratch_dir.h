#pragma once

#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

namespace quorvel::fuzz {

/// A private directory for harnesses whose parser reads files, under $TMPDIR,
/// else in memory (/dev/shm) where there is one: every input is written and
/// read back, and settings writes are synced. It is emptied between inputs
/// and removed at exit.
class ScratchDir {
public:
    ScratchDir() {
        std::error_code ec;
        const char* tmp = std::getenv("TMPDIR");
        const std::filesystem::path base = tmp && *tmp ? std::filesystem::path(tmp)
                                           : std::filesystem::is_directory("/dev/shm", ec)
                                               ? std::filesystem::path("/dev/shm")
                                               : std::filesystem::temp_directory_path();
        std::string pattern = (base / "quorvel-fuzz-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        path_ = pattern;
    }
    ~ScratchDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& path() const { return path_; }

    /// Empties the directory, then writes `data` to `name` inside it.
    std::filesystem::path fresh(const std::string& name, const std::uint8_t* data,
                                std::size_t size) {
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(path_, ec)) {
            std::filesystem::remove_all(entry.path(), ec);
        }
        const std::filesystem::path file = path_ / name;
        std::filesystem::create_directories(file.parent_path(), ec);
        std::ofstream(file, std::ios::binary)
            .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        return file;
    }

private:
    std::filesystem::path path_;
};

}  // namespace quorvel::fuzz
