#include "program/command_line.h"

#include <algorithm>
#include <array>

namespace quorvel::program {

namespace {

// QGuiApplication's and QApplication's options, and the X11 platform's.
constexpr std::array<std::string_view, 16> kWithValue{
    "platform",     "platformpluginpath", "platformtheme", "plugin",  "qwindowgeometry",
    "qwindowicon",  "qwindowtitle",       "session",       "display", "geometry",
    "style",        "stylesheet",         "name",          "title",   "visual",
    "qmljsdebugger"};
constexpr std::array<std::string_view, 5> kFlags{"reverse", "widgetcount", "nograb", "dograb",
                                                 "sync"};

// The option's name without its one or two dashes and any "=value".
std::string_view nameOf(std::string_view arg) {
    if (arg.size() < 2 || arg[0] != '-') return {};
    arg.remove_prefix(arg[1] == '-' ? 2 : 1);
    return arg.substr(0, arg.find('='));
}

bool contains(const auto& names, std::string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

std::size_t qtOptionLength(std::string_view arg) {
    const std::string_view name = nameOf(arg);
    if (name.empty()) return 0;
    if (contains(kFlags, name)) return 1;
    if (!contains(kWithValue, name)) return 0;
    return arg.find('=') == std::string_view::npos ? 2 : 1;
}

std::string_view qtDisplayOption(std::string_view arg, std::string_view next) {
    if (nameOf(arg) != "display") return {};
    const auto equals = arg.find('=');
    return equals == std::string_view::npos ? next : arg.substr(equals + 1);
}

}  // namespace quorvel::program
