#!/usr/bin/env bash
# Installs into a scratch prefix and checks that a desktop finds the program,
# its menu entry and its icon there.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" > /dev/null
test -x "$prefix/bin/Veilcut"
desktop-file-validate "$prefix/share/applications/veilcut.desktop"
grep -qx 'Exec=Veilcut %f' "$prefix/share/applications/veilcut.desktop"
for size in 16 24 32 48 64 128 256; do
  icon="$prefix/share/icons/hicolor/${size}x${size}/apps/veilcut.png"
  file "$icon" | grep -q "PNG image data, $size x $size"
done
echo "installed and valid"
