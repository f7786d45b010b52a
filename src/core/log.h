#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::core {

/// Writes one diagnostic line. Lines go to standard output exactly as given
/// (their emoji prefix names the area); nothing parses them.
void log(std::string_view line);

/// Replaces the destination of log lines while it lives; tests use it to read
/// what the system printed. Captures nest: the innermost one receives.
class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    const std::vector<std::string>& lines() const { return lines_; }
    bool contains(std::string_view line) const;
    std::size_t count(std::string_view line) const;
    void clear() { lines_.clear(); }

private:
    friend void log(std::string_view line);
    std::vector<std::string> lines_;
    LogCapture* previous_;
};

}  // namespace quorvel::core
