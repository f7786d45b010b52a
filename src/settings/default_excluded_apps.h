#pragma once

#include <array>
#include <string_view>

// The applications excluded on first run: a colour picker (its window must see
// the real colours under the veil) and the file manager. Each is a list of the
// desktop-file ids it goes by on the common desktops; the first one installed
// is taken, and a role with none installed is left out.
namespace quorvel::settings::defaultExcluded {

inline constexpr std::array<std::string_view, 7> colorPickerIds{
    "gcolor3", "nl.hjdskes.gcolor3",    "org.gnome.gColor", "com.github.finefindus.eyedropper",
    "xcolor",  "org.kde.kcolorchooser", "kcolorchooser",
};

inline constexpr std::array<std::string_view, 9> fileManagerIds{
    "org.gnome.Nautilus",
    "nautilus",
    "org.xfce.Thunar",
    "thunar",
    "org.kde.dolphin",
    "nemo",
    "caja",
    "pcmanfm",
    "pcmanfm-qt",
};

}  // namespace quorvel::settings::defaultExcluded
