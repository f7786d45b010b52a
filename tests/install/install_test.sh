#!/usr/bin/env bash
# Installs the build into a temporary prefix (as `make install DESTDIR=...`
# would) and checks that a desktop finds the program, its entry and icons,
# and that the desktop-entry and AppStream validators accept them.
set -euo pipefail
build=$1
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
prefix=/usr

DESTDIR="$stage" cmake --install "$build" --prefix "$prefix" >/dev/null
root="$stage$prefix"

fail() { echo "FAIL: $*"; exit 1; }
for f in bin/quorvel share/applications/quorvel.desktop \
         share/metainfo/com.quorvel.Quorvel.metainfo.xml share/man/man1/quorvel.1 \
         share/icons/hicolor/scalable/apps/quorvel.svg \
         share/icons/hicolor/48x48/apps/quorvel.png share/icons/hicolor/256x256/apps/quorvel.png \
         share/icons/hicolor/scalable/status/quorvel-active-symbolic.svg \
         share/gnome-shell/extensions/quorvel@quorvel.github.io/metadata.json \
         share/gnome-shell/extensions/quorvel@quorvel.github.io/extension.js \
         share/gnome-shell/extensions/quorvel@quorvel.github.io/io.github.quorvel.Compositor1.xml; do
  [ -e "$root/$f" ] || fail "missing $f"
done
[ -x "$root/bin/quorvel" ] || fail "bin/quorvel is not executable"

desktop-file-validate "$root/share/applications/quorvel.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$root/share/metainfo/com.quorvel.Quorvel.metainfo.xml" >/dev/null \
  || fail "metainfo"
grep -q '^Exec=quorvel$' "$root/share/applications/quorvel.desktop" || fail "Exec line"
grep -q '^Icon=quorvel$' "$root/share/applications/quorvel.desktop" || fail "Icon line"
file "$root/share/icons/hicolor/48x48/apps/quorvel.png" | grep -q '48 x 48' || fail "48 px icon size"

# GNOME Shell loads an extension only from the folder named by its uuid.
ext=$root/share/gnome-shell/extensions/quorvel@quorvel.github.io
python3 -c 'import json,sys; m=json.load(open(sys.argv[1])); sys.exit(m["uuid"] != "quorvel@quorvel.github.io" or not m["shell-version"])' \
  "$ext/metadata.json" || fail "extension metadata"

# Where kwin-dev was there to build it, KWin finds the effect in Qt 5's plugins.
if [ -f "$build/compositor/kwin/kwin/effects/plugins/quorvel.so" ]; then
  [ -f "$root/lib/$(gcc -print-multiarch)/qt5/plugins/kwin/effects/plugins/quorvel.so" ] ||
    fail "the KWin effect is not in Qt 5's plugin folder"
fi

# The installed program answers the two options without a display.
"$root/bin/quorvel" --version | grep -q '^quorvel [0-9]' || fail "--version"
"$root/bin/quorvel" --help | grep -q 'Usage: quorvel' || fail "--help"
echo "1 passed, 0 failed"
