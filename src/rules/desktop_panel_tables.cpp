#include "rules/desktop_panel_tables.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

namespace quorvel::rules {

namespace {

std::string replaceAll(std::string text, std::string_view from, std::string_view to) {
    for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

// Runs a program detached from us, so that a settings window outlives the
// script; a program that is not installed fails the script.
constexpr std::string_view launchFunction =
    "launch() { command -v \"$1\" >/dev/null 2>&1 || { echo \"$1 is not installed\" >&2; "
    "exit 127; }; setsid \"$@\" >/dev/null 2>&1 & }\n";

// The write loop shared by the desktops whose panels are listed by `panels`:
// one value for all of them, or each panel's own value from "id=value" pairs
// (a panel the pairs do not name is left alone).
constexpr std::string_view writeLoop = R"(v='%VALUE%'
for id in $(panels); do
  case "$v" in *=*) x=$(echo " $v " | sed -n "s/.* $id=\([^ ]*\) .*/\1/p");; *) x=$v;; esac
  [ -n "$x" ] || continue
  SET || exit 1
done
)";

// WORKAROUND(XFCE): a panel records its edge only as a snap position
// ("p=6;..."); for a horizontal panel 2, 6, 9 and 11 are on the top edge.
constexpr std::string_view xfcePrelude = R"(command -v xfconf-query >/dev/null 2>&1 || exit 127
xfconf-query -l >/dev/null 2>&1 || exit 75
q() { xfconf-query -c xfce4-panel "$@" 2>/dev/null; }
panels() {
  for n in $(q -p /panels | grep -x '[0-9][0-9]*'); do
    p=$(q -p /panels/panel-$n/position | sed -n 's/^p=\([0-9]*\).*/\1/p')
    m=$(q -p /panels/panel-$n/mode); m=${m:-0}
    case "$m:$p" in 0:2|0:6|0:9|0:11) e=top;; *) e=dock;; esac
    [ "$e" = WANT ] && echo panel-$n
  done
}
)";

PanelElementScripts xfceElement(std::string_view want) {
    const std::string prelude = replaceAll(std::string(xfcePrelude), "WANT", want);
    return {
        prelude +
            "for id in $(panels); do v=$(q -p /panels/$id/autohide-behavior); "
            "printf '%s=%s ' $id \"${v:-0}\"; done\n",
        prelude + replaceAll(std::string(writeLoop), "SET",
                             "xfconf-query -c xfce4-panel -p /panels/$id/autohide-behavior "
                             "-n -t uint -s \"$x\""),
        "2",
        "0",
    };
}

constexpr std::string_view gnomePrelude = R"(S=org.gnome.shell.extensions.dash-to-dock
command -v gsettings >/dev/null 2>&1 || exit 127
if command -v gdbus >/dev/null 2>&1; then
  gdbus call --session --dest org.gnome.Shell --object-path /org/gnome/Shell --method org.freedesktop.DBus.Peer.Ping >/dev/null 2>&1 || exit 75
fi
gsettings list-keys $S >/dev/null 2>&1 || { echo "the dock's settings are not installed" >&2; exit 1; }
)";

constexpr std::string_view kdePrelude = R"(Q=
for c in qdbus6 qdbus-qt6 qdbus qdbus-qt5; do command -v $c >/dev/null 2>&1 && { Q=$c; break; }; done
[ -n "$Q" ] || { echo "qdbus is not installed" >&2; exit 127; }
$Q org.kde.plasmashell /PlasmaShell >/dev/null 2>&1 || exit 75
)";

PanelElementScripts kdeElement(std::string_view condition) {
    const std::string prelude(kdePrelude);
    const std::string eval =
        "$Q org.kde.plasmashell /PlasmaShell org.kde.PlasmaShell.evaluateScript ";
    const std::string read =
        "var o=[];panels().forEach(function(p){if(COND)o.push(p.id+\"=\"+p.hiding)});"
        "print(o.join(\" \"))";
    const std::string write =
        "var v=\"%VALUE%\";panels().forEach(function(p){if(!(COND))return;var x=v;"
        "if(v.indexOf(\"=\")>=0){var m=(\" \"+v+\" \").match(new RegExp(\" \"+p.id+\"=([^ ]+) \"));"
        "if(!m)return;x=m[1]}p.hiding=x})";
    return {
        prelude + eval + "'" + replaceAll(read, "COND", condition) + "'\n",
        prelude + eval + "'" + replaceAll(write, "COND", condition) + "'\n",
        "autohide",
        "none",
    };
}

constexpr std::string_view matePrelude = R"(command -v gsettings >/dev/null 2>&1 || exit 127
gsettings get org.mate.panel toplevel-id-list >/dev/null 2>&1 || exit 75
T() { echo org.mate.panel.toplevel:/org/mate/panel/toplevels/$1/; }
panels() {
  for t in $(gsettings get org.mate.panel toplevel-id-list | tr -d "[],'" | sed 's/@as//'); do
    o=$(gsettings get $(T $t) orientation | tr -d "'")
    if [ "$o" = top ]; then e=top; else e=dock; fi
    [ "$e" = WANT ] && echo $t
  done
}
)";

PanelElementScripts mateElement(std::string_view want) {
    const std::string prelude = replaceAll(std::string(matePrelude), "WANT", want);
    return {
        prelude +
            "for id in $(panels); do printf '%s=%s ' $id \"$(gsettings get $(T $id) "
            "auto-hide)\"; done\n",
        prelude +
            replaceAll(std::string(writeLoop), "SET", "gsettings set $(T $id) auto-hide \"$x\""),
        "true",
        "false",
    };
}

constexpr std::string_view cinnamonPrelude = R"(command -v gsettings >/dev/null 2>&1 || exit 127
gsettings get org.cinnamon panels-enabled >/dev/null 2>&1 || exit 75
L() { gsettings get org.cinnamon "$1" | tr -d "[],'" | sed 's/@as//'; }
panels() {
  for e in $(L panels-enabled); do
    id=${e%%:*}; pos=${e##*:}
    if [ "$pos" = top ]; then k=top; else k=dock; fi
    [ "$k" = WANT ] && echo $id
  done
}
val() { r=false; for a in $(L panels-autohide); do [ "${a%%:*}" = "$1" ] && r=${a#*:}; done; echo $r; }
)";

// WORKAROUND(Cinnamon): all panels share one list setting, so a write
// rebuilds the whole list and keeps the other kind's values.
constexpr std::string_view cinnamonWrite = R"(v='%VALUE%'; mine=" $(panels | tr '\n' ' ') "; out=
for e in $(L panels-enabled); do
  id=${e%%:*}; x=$(val $id)
  case "$mine" in *" $id "*)
    case "$v" in *=*) y=$(echo " $v " | sed -n "s/.* $id=\([^ ]*\) .*/\1/p"); [ -n "$y" ] && x=$y;; *) x=$v;; esac;;
  esac
  out="$out${out:+, }'$id:$x'"
done
gsettings set org.cinnamon panels-autohide "[$out]"
)";

PanelElementScripts cinnamonElement(std::string_view want) {
    const std::string prelude = replaceAll(std::string(cinnamonPrelude), "WANT", want);
    return {
        prelude + "for id in $(panels); do printf '%s=%s ' $id $(val $id); done\n",
        prelude + std::string(cinnamonWrite),
        "true",
        "false",
    };
}

std::string launching(std::string_view command) {
    return std::string(launchFunction) + "launch " + std::string(command) + "\n";
}

}  // namespace

PanelScripts xfcePanelScripts() {
    return {"XFCE",
            xfceElement("dock"),
            xfceElement("top"),
            "command -v xfce4-panel >/dev/null 2>&1 || exit 127\nxfce4-panel --preferences\n",
            launching("xfce4-settings-manager"),
            "xfconf-query -c xfce4-panel -p /panels >/dev/null 2>&1\n"};
}

PanelScripts gnomePanelScripts() {
    const std::string prelude(gnomePrelude);
    PanelElementScripts dock{
        prelude +
            "printf 'dock=%s,%s,%s' \"$(gsettings get $S dock-fixed)\" "
            "\"$(gsettings get $S autohide)\" \"$(gsettings get $S intellihide)\"\n",
        prelude +
            "v='%VALUE%'; x=${v#dock=}; IFS=,; set -- $x; unset IFS\n"
            "gsettings set $S dock-fixed $1 && gsettings set $S autohide $2 && "
            "gsettings set $S intellihide $3\n",
        "false,true,false",
        "true,false,false",
    };
    return {"GNOME",
            std::move(dock),
            std::nullopt,
            launching("gnome-control-center ubuntu"),
            launching("gnome-extensions-app"),
            prelude};
}

PanelScripts kdePanelScripts() {
    // Plasma's own panel editing, where the auto-hide of each panel is set;
    // a Plasma without the editMode property gets the system settings.
    return {"KDE",
            kdeElement("p.location!=\"top\""),
            kdeElement("p.location==\"top\""),
            "command -v dbus-send >/dev/null 2>&1 || exit 127\n"
            "dbus-send --session --print-reply --dest=org.kde.plasmashell /PlasmaShell "
            "org.freedesktop.DBus.Properties.Set string:org.kde.PlasmaShell string:editMode "
            "variant:boolean:true >/dev/null\n",
            launching("systemsettings"),
            std::string(kdePrelude)};
}

PanelScripts matePanelScripts() {
    return {"MATE", mateElement("dock"),     mateElement("top"), launching("mate-control-center"),
            "",     std::string(matePrelude)};
}

PanelScripts cinnamonPanelScripts() {
    return {"Cinnamon",
            cinnamonElement("dock"),
            cinnamonElement("top"),
            launching("cinnamon-settings panel"),
            "",
            std::string(cinnamonPrelude)};
}

std::optional<PanelScripts> detectPanelDesktop(std::string_view xdgCurrentDesktop,
                                               ports::ScriptService& scripts) {
    std::string names(xdgCurrentDesktop);
    std::transform(names.begin(), names.end(), names.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    std::vector<std::string> tokens;
    for (std::size_t start = 0; start <= names.size();) {
        const auto end = std::min(names.find(':', start), names.size());
        tokens.push_back(names.substr(start, end - start));
        start = end + 1;
    }
    for (const auto& name : tokens) {
        if (name == "xfce") return xfcePanelScripts();
        if (name == "kde") return kdePanelScripts();
        if (name == "mate") return matePanelScripts();
        if (name == "x-cinnamon" || name == "cinnamon") return cinnamonPanelScripts();
        if (name == "gnome" || name == "ubuntu" || name == "gnome-classic" || name == "unity") {
            return gnomePanelScripts();
        }
    }
    // Window managers such as openbox or i3 do not name a desktop, but may
    // run a desktop's panel on their own.
    for (auto table : {xfcePanelScripts(), matePanelScripts(), cinnamonPanelScripts(),
                       kdePanelScripts(), gnomePanelScripts()}) {
        if (scripts.execute(table.probe).succeeded()) return table;
    }
    return std::nullopt;
}

}  // namespace quorvel::rules
