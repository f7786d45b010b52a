#include "core/log.h"

#include <algorithm>
#include <cstdio>

namespace quorvel::core {

namespace {
LogCapture* activeCapture = nullptr;
}

void log(std::string_view line) {
    if (activeCapture) {
        activeCapture->lines_.emplace_back(line);
        return;
    }
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

LogCapture::LogCapture() : previous_(activeCapture) {
    activeCapture = this;
}

LogCapture::~LogCapture() {
    activeCapture = previous_;
}

bool LogCapture::contains(std::string_view line) const {
    return count(line) > 0;
}

std::size_t LogCapture::count(std::string_view line) const {
    return static_cast<std::size_t>(std::count(lines_.begin(), lines_.end(), line));
}

}  // namespace quorvel::core
