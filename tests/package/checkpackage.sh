#!/usr/bin/env bash
# Builds the Debian package, unpacks it into a temporary root and checks what a
# desktop needs of it: the files in place, valid desktop and AppStream entries,
# library dependencies, and a program that answers --version without a display.
set -euo pipefail
build=$1
expected_version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 \
    || { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/out/*.deb)
dpkg-deb -x "$deb" "$work/root"
root=$work/root/usr

for f in bin/harbrow share/applications/org.kvane.Harbrow.desktop \
         share/metainfo/org.kvane.Harbrow.metainfo.xml share/man/man1/harbrow.1 \
         share/icons/hicolor/scalable/apps/org.kvane.Harbrow.svg \
         share/icons/hicolor/256x256/apps/org.kvane.Harbrow.png; do
    [ -e "$root/$f" ] || { echo "missing from the package: $f"; exit 1; }
done
dpkg-deb -f "$deb" Depends | grep -q libqt6webenginewidgets6 \
    || { echo "package does not depend on the web engine: $(dpkg-deb -f "$deb" Depends)"; exit 1; }
dpkg-deb -f "$deb" Depends | grep -q webext-ublock-origin-chromium \
    || { echo "package does not depend on the blocking lists: $(dpkg-deb -f "$deb" Depends)"; exit 1; }
desktop-file-validate "$root/share/applications/org.kvane.Harbrow.desktop"
appstreamcli validate --no-net "$root/share/metainfo/org.kvane.Harbrow.metainfo.xml" >/dev/null

version=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/bin/harbrow" --version)
[ "$version" = "Harbrow $expected_version" ] || { echo "--version said: $version"; exit 1; }
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/bin/harbrow" --help | grep -q '^Usage: harbrow'
