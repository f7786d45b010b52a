// Replays a scripted session on the simulated desktop and prints the
// stacking after every tick: sim_replay <script> (or "-" for standard input).
#include <fstream>
#include <iostream>
#include <sstream>

#include "sim/sim_harness.h"
#include "sim/sim_replay.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: sim_replay <script>\n";
        return 2;
    }
    std::stringstream text;
    if (std::string(argv[1]) == "-") {
        text << std::cin.rdbuf();
    } else {
        std::ifstream in(argv[1]);
        if (!in) {
            std::cerr << "sim_replay: cannot read " << argv[1] << '\n';
            return 2;
        }
        text << in.rdbuf();
    }
    std::string error;
    auto script = quorvel::sim::parseScript(text.str(), error);
    if (!script) {
        std::cerr << "sim_replay: " << error << '\n';
        return 1;
    }
    quorvel::sim::SimHarness harness;
    quorvel::sim::SimReplay replay(harness);
    return replay.run(*script, std::cout) ? 0 : 1;
}
