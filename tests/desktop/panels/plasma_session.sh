#!/bin/sh
# Runs the panels test ($1, further arguments passed on) on a private D-Bus session with a
# stand-in plasmashell (plasmashell itself does not run without a full Plasma
# session). Exits 77 (skipped) when gjs or qdbus is missing.
set -eu
test_binary=$1
shift
here=$(cd "$(dirname "$0")" && pwd)
for tool in gjs dbus-run-session; do
  command -v "$tool" >/dev/null 2>&1 || { echo "autohide: $tool is not installed, skipping"; exit 77; }
done
state=$(mktemp)
trap 'rm -f "$state"' EXIT
export QUORVEL_PLASMA_PANELS="$state" XDG_CURRENT_DESKTOP=KDE
# shellcheck disable=SC2016
exec dbus-run-session -- sh -c '
  echo "[]" >"$QUORVEL_PLASMA_PANELS"
  /usr/bin/python3 "$1" "$QUORVEL_PLASMA_PANELS" &
  i=0
  until gdbus introspect --session -d org.kde.plasmashell -o /PlasmaShell >/dev/null 2>&1; do
    i=$((i + 1)); [ $i -lt 100 ] || { echo "autohide: the stand-in did not start"; exit 1; }
    sleep 0.1
  done
  shift
  "$@"
' autohide "$here/plasmashell_standin.py" "$test_binary" "$@"
