#!/bin/sh
# Runs the panel auto-hide test binary ($1, further arguments passed on) in a
# private XFCE session: a virtual X display, a D-Bus session bus with xfconfd,
# and xfce4-panel with a top bar and a dock. Exits 77 (skipped) when the
# XFCE packages are missing.
set -eu
test_binary=$1
shift
here=$(cd "$(dirname "$0")" && pwd)

for tool in xfce4-panel xfconf-query dbus-run-session xvfb-run; do
  command -v "$tool" >/dev/null 2>&1 || { echo "autohide: $tool is not installed, skipping"; exit 77; }
done

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
mkdir -p "$home/xfce4/xfconf/xfce-perchannel-xml"
cp "$here/xfce_panels.xml" "$home/xfce4/xfconf/xfce-perchannel-xml/xfce4-panel.xml"
# xfconfd is started by the bus and inherits this environment.
export XDG_CONFIG_HOME="$home" XDG_CACHE_HOME="$home/cache" XDG_CURRENT_DESKTOP=XFCE

# shellcheck disable=SC2016
exec dbus-run-session -- xvfb-run -a -s "-screen 0 1280x800x24" sh -c '
  xfce4-panel --disable-wm-check >"$XDG_CONFIG_HOME/panel.log" 2>&1 &
  panel=$!
  i=0
  until xfconf-query -c xfce4-panel -p /panels >/dev/null 2>&1 && pgrep -x xfce4-panel >/dev/null; do
    i=$((i + 1)); [ $i -lt 100 ] || { echo "autohide: the panel did not start"; cat "$XDG_CONFIG_HOME/panel.log"; exit 1; }
    sleep 0.1
  done
  status=0
  "$@" || status=$?
  kill "$panel" 2>/dev/null || true
  exit $status
' autohide "$test_binary" "$@"
