#pragma once

#include <optional>
#include <string_view>

#include "ports/script_service.h"
#include "rules/panel_scripts.h"

namespace quorvel::rules {

// The panel tables of the desktops we know. Every script is a POSIX shell
// text; it exits with `ports::serviceNotAnsweringExitStatus` while the
// desktop's settings service does not answer yet, and with another non-zero
// status when it fails for good.

/// xfconf's "xfce4-panel" channel: a horizontal panel on the top edge is the
/// menu bar, every other panel the dock; "autohide-behavior" 0/1/2.
PanelScripts xfcePanelScripts();
/// The dash-to-dock (Ubuntu dock) settings; the top bar cannot auto-hide.
PanelScripts gnomePanelScripts();
/// Plasma's panels through plasmashell's scripting over D-Bus, by location.
PanelScripts kdePanelScripts();
/// org.mate.panel toplevels and their "auto-hide", by orientation.
PanelScripts matePanelScripts();
/// org.cinnamon "panels-autohide", panels placed by "panels-enabled".
PanelScripts cinnamonPanelScripts();

/// The table for the session: first by the names in XDG_CURRENT_DESKTOP
/// (colon-separated, any case), otherwise the first desktop whose probe
/// answers. Nothing when no table fits.
std::optional<PanelScripts> detectPanelDesktop(std::string_view xdgCurrentDesktop,
                                               ports::ScriptService& scripts);

}  // namespace quorvel::rules
