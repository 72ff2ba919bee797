#!/usr/bin/env bash
# Playback rate of three 1920x1080 sequences at every zoom-out factor, against 1/2.
#
#   bench/playback/zoom_factors.sh [BUILD_DIR] [FRAMES] [ROUNDS] [BASELINE_BUILD_DIR]
#
# Plays three 1920x1080 sequences of FRAMES frames (default 60) with
# "-quiet -PSNR -fps 1000000" at -zoom 1/2, 1/3, 1/4, 1/5, 1/6 and 1/8 on a private Xvfb of
# 1920x1080 at depth 24, all interleaved ROUNDS times (default 5). Prints the median
# frames per second of each factor and the viewer's processor time per frame, each with the
# median of its per-round ratio to 1/2; the goal is a rate of at least 1/2's at 1/3 and 1/4. With BASELINE_BUILD_DIR, that build's trivista runs 1/2,
# 1/3 and 1/4 in the same rounds, for a before/after. Each rate is wall-clock time of the
# whole process (start-up, window and FRAMES frames).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../../build}
frames=${2:-60}
rounds=${3:-5}
baseline=${4:-}
source "$here/setup.sh"
start_bench 1920 1080 1920x1080x24

factors="2 3 4 5 6 8"
# Frames per second of the whole run, and the viewer's own processor time per frame in ms
# (user and system): on a loaded machine the second shows the work apart from the waiting.
rate_at() {  # EXECUTABLE FACTOR
    local TIMEFORMAT='%R %U %S' times
    times=$( { time "$1" -fps 1000000 -quiet -PSNR -zoom "1/$2" -size 1920x1080 \
        -f1 "$work/seq1.yuv" -f2 "$work/seq2.yuv" -f3 "$work/seq3.yuv" >/dev/null 2>&1; } 2>&1 )
    echo "$times" | awk -v f="$frames" '{ print f / $1, 1000 * ($2 + $3) / f }'
}
for round in $(seq "$rounds"); do
    for n in $factors; do
        rate_at "$trivista" "$n" >> "$work/at$n"
    done
    if [ -n "$baseline" ]; then
        for n in 2 3 4; do
            rate_at "$baseline/src/playback/trivista" "$n" >> "$work/baseline$n"
        done
    fi
done

printf 'three 1920x1080 sequences, -quiet -PSNR, %d frames, %d rounds, Xvfb 1920x1080 depth 24 (medians)\n' \
    "$frames" "$rounds"
printf '  %-12s %10s %12s %14s %12s\n' zoom frames/s "ratio to 1/2" "cpu ms/frame" "ratio to 1/2"
report() {  # LABEL FILE FILE_AT_HALF
    # Neighbouring runs share the machine's load: the median of per-round ratios is
    # steadier than the ratio of medians.
    local rate cpu
    rate=$(paste "$2" "$3" | awk '{ print $1 / $3 }' | median)
    cpu=$(paste "$2" "$3" | awk '{ print $2 / $4 }' | median)
    printf '  %-12s %10.1f %12.2f %14.1f %12.2f\n' "$1" "$(cut -d' ' -f1 "$2" | median)" "$rate" \
        "$(cut -d' ' -f2 "$2" | median)" "$cpu"
}
for n in $factors; do
    report "1/$n" "$work/at$n" "$work/at2"
done
if [ -n "$baseline" ]; then
    for n in 2 3 4; do
        report "before 1/$n" "$work/baseline$n" "$work/baseline2"
    done
fi
