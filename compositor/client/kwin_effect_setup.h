#pragma once

#include <optional>
#include <string>

namespace quorvel::compositor {

/// The id of Quorvel's KWin effect.
inline constexpr const char* kEffectId = "quorvel";

/// Brings Quorvel's KWin effect up when the session is KDE and it does not
/// answer: asks KWin to load it (it is off in a fresh configuration, and a
/// user may have turned it off), keeps it on in kwinrc so that the next
/// session loads it by itself, and waits for it to answer. Nothing when it
/// answers at the end, else the one line that says why not.
class KwinEffectSetup {
public:
    std::optional<std::string> run();

    /// How long to wait for the effect once loaded, in ms.
    static constexpr int kAnswerTimeoutMs = 5000;

private:
    bool answers() const;
    bool waitForAnswer() const;
};

}  // namespace quorvel::compositor
