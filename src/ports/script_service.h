#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace quorvel::ports {

/// The error number of a script that was refused because the desktop's
/// settings service does not answer yet (at login, before it has started).
/// The panel auto-hide waits for the service while scripts fail with it.
inline constexpr std::int64_t scriptNotPermittedError = -1743;

/// The exit status by which a command-line script says that the settings
/// service it talks to does not answer (EX_TEMPFAIL); the real service turns
/// it into `scriptNotPermittedError`.
inline constexpr int serviceNotAnsweringExitStatus = 75;

/// What a script gave back: nothing, a Boolean ("true"/"false") or a text.
using ScriptValue = std::variant<std::monostate, bool, std::string>;

struct ScriptError {
    std::optional<std::int64_t> number;  // nothing when the failure carries none
    std::string description;
    bool operator==(const ScriptError&) const = default;
};

/// One run of a script: it could not be compiled, it failed, or it returned
/// a value.
struct ScriptOutcome {
    bool compiled = true;
    std::optional<ScriptError> error;
    ScriptValue value;

    static ScriptOutcome notCompiled() { return {false, std::nullopt, {}}; }
    static ScriptOutcome failed(ScriptError e) { return {true, std::move(e), {}}; }
    static ScriptOutcome returned(ScriptValue v) { return {true, std::nullopt, std::move(v)}; }
    bool succeeded() const { return compiled && !error; }
};

/// The desktop's scripting service: runs the short scripts (command texts)
/// that read and write the panels' auto-hide settings.
class ScriptService {
public:
    virtual ~ScriptService() = default;
    /// Called on the main thread, synchronously; a text that cannot be parsed
    /// is `notCompiled`, a failing or hanging script an error with a number.
    virtual ScriptOutcome execute(const std::string& source) = 0;
};

}  // namespace quorvel::ports
