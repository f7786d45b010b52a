#pragma once

#include <chrono>

#include "ports/script_service.h"

namespace quorvel::qt {

/// Runs each script as a POSIX shell command line, synchronously, and reads
/// what it printed: "true"/"false" is a Boolean, other output a text, no
/// output nothing. A text the shell cannot parse is not compiled; exit
/// status 75, or a script that does not end within the timeout, means the
/// settings service does not answer yet; any other failure is an error
/// numbered by the exit status, described by what the script wrote to
/// standard error.
class ProcessScriptService final : public ports::ScriptService {
public:
    explicit ProcessScriptService(
        std::chrono::milliseconds timeout = std::chrono::milliseconds(3000));

    ports::ScriptOutcome execute(const std::string& source) override;

private:
    std::chrono::milliseconds timeout_;
};

}  // namespace quorvel::qt
