#pragma once

#include <cstddef>
#include <string_view>

namespace quorvel::program {

/// How many arguments one of Qt's own command-line options takes up, itself
/// included (1 or 2); 0 for anything else. QApplication reads and removes
/// these, so the program lets them through ("-style Fusion", "--display=:1").
std::size_t qtOptionLength(std::string_view arg);

/// The X display a "-display" option names; empty when `arg` is not one. For
/// the two-argument form, `next` is the argument after it.
std::string_view qtDisplayOption(std::string_view arg, std::string_view next);

}  // namespace quorvel::program
