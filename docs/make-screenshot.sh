#!/usr/bin/env bash
# Takes the README's screenshot: Veilcut with a picture loaded, in a real
# window on a virtual X display. Needs xvfb, xdotool and imagemagick (the
# README's commands install them) and a build in ./build.
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'kill $app $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" &
xvfb=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")" QT_QPA_PLATFORM=xcb XDG_CONFIG_HOME="$work/config"

# A photo-like picture of ImageMagick's own making: no one's face.
convert -size 900x600 plasma:fractal -seed 7 -blur 0x2 "$work/photo.jpg"
./build/Veilcut "$work/photo.jpg" &
app=$!
xdotool search --sync --name '^photo.jpg - Veilcut$' > /dev/null
sleep 1
import -window root docs/screenshot.png
echo "wrote docs/screenshot.png"
