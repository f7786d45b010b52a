#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "sim/sim_harness.h"

namespace quorvel::sim {

/// One timed line of a replay script: "<seconds> <command> <arguments...>".
struct ScriptEvent {
    double time = 0;
    std::vector<std::string> words;  // the command and its arguments
    int line = 0;
};

struct Script {
    std::vector<ScriptEvent> events;  // in time order, ties in file order
    double endTime = 0;               // the last event's time, or an "end" line's
};

/// Reads a script. Blank lines and "#" comments are skipped; words may be
/// "quoted" to hold spaces. Nothing (and `error` set) on a malformed line.
std::optional<Script> parseScript(const std::string& text, std::string& error);

/// Plays a script on a harness: events fire at their times on the virtual
/// clock, and after every 0.1 s tick one line gives the stacking.
///
/// Commands: monitor <id> <x> <y> <w> <h> | unplug <id> | resize <id> <x> <y> <w> <h>
/// | window <number> <owner> <x> <y> <w> <h> [layer <n>] [title <words...>]
/// | move <number> <x> <y> <w> <h> | raise|close|hide|show <number>
/// | front <bundle-id> [<name>] | front none | pointer <x> <y> | overview on|off|auto
/// | slide <monitor> <dx> | focus on|off | single on|off | exclude <bundle-id> [<name>]
/// | include <bundle-id> | duration <seconds> | end
/// Monitor frames and the pointer are bottom-left origin; windows top-left.
class SimReplay {
public:
    explicit SimReplay(SimHarness& harness) : harness_(harness) {}

    /// False (with a message on `out`) when a command cannot be carried out.
    bool run(const Script& script, std::ostream& out);
    /// Carries out one command now; false with `error` set when it is malformed.
    bool apply(const std::vector<std::string>& words, std::string& error);

private:
    bool applyWindows(const std::vector<std::string>& words, std::string& error);
    bool applySession(const std::vector<std::string>& words, std::string& error);

    SimHarness& harness_;
};

}  // namespace quorvel::sim
