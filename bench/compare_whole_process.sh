#!/bin/sh
# Whole-process open + quarter turn right + JPEG save of one photo-like JPEG
# of 24 MP and one of 100 MP: Veilcut's own path (driven by the benchmark
# program) against vips and ImageMagick, all writing quality 100 with 4:2:0
# chroma. Prints wall time and peak memory, medians of three runs.
# Usage: bench/compare_whole_process.sh [build folder]
set -eu
bench=${1:-build}/bench/bench_large_photos
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# ImageMagick 6 as Debian installs it; a wrapper of the same name may stand first in PATH.
magick=$(command -v convert-im6.q16 || command -v convert)

median() { sort -n | sed -n 2p; }

measure() {
    name=$1
    shift
    : >"$work/times"
    : >"$work/peaks"
    for run in 1 2 3; do
        sync
        if ! /usr/bin/time -f '%e %M' -o "$work/one" "$@" >/dev/null 2>"$work/errors"; then
            printf '| %s | failed: %s | |\n' "$name" "$(tail -n 1 "$work/errors" | sed 's/ `.*//')"
            return
        fi
        cut -d' ' -f1 "$work/one" >>"$work/times"
        cut -d' ' -f2 "$work/one" >>"$work/peaks"
    done
    printf '| %s | %s s | %s MB |\n' "$name" "$(median <"$work/times")" "$(($(median <"$work/peaks") / 1024))"
}

echo '| picture | program | wall time | peak memory |'
echo '|---|---|---|---|'
for size in "6000 4000 24" "12000 8400 100"; do
    set -- $size
    in=$work/in-$3.jpg
    label="$3 MP"
    "$bench" make-photo "$in" "$1" "$2"
    measure "$label | Veilcut (bench_large_photos turn-and-save)" "$bench" turn-and-save "$in" "$work/veilcut.jpg"
    measure "$label | vips rot d90" vips rot "$in" "$work/vips.jpg[Q=100,subsample-mode=on]" d90
    measure "$label | ImageMagick convert -rotate 90" "$magick" "$in" -rotate 90 -quality 100 -sampling-factor 2x2 \
        "$work/magick.jpg"
done
