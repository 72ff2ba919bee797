#!/usr/bin/env bash
# Playback rate of large pictures zoomed out, against the bare transfer of the shown size.
#
#   bench/playback/zoom.sh [BUILD_DIR] [FRAMES] [ROUNDS]
#
# Plays three 1920x1080 sequences of FRAMES frames (default 60) with
# "-quiet -PSNR -zoom 1/2 -fps 1000000" on a private Xvfb of depth 24 large enough for the
# whole window, without and with -shm, and runs put_images with six 960x540 pictures (the
# shown size) through XPutImage and through XShmPutImage on the same server. All four are
# interleaved ROUNDS times (default 3); medians of frames per second are reported with the
# ratio of each playback to the transfer of its own path. Each rate is wall-clock time of
# the whole process (start-up, window and FRAMES frames).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../../build}
frames=${2:-60}
rounds=${3:-3}
source "$here/setup.sh"
# The main window at 1/2 with -PSNR is 2880x1280; the screen holds it, so nothing is clipped.
start_bench 1920 1080 2944x1344x24

: > "$work/plain"; : > "$work/shm"; : > "$work/puts"; : > "$work/puts_shm"
for round in $(seq "$rounds"); do
    rate_of_trivista -quiet -PSNR -zoom 1/2 -size 1920x1080 >> "$work/plain"
    rate_of_put_images 960x540 >> "$work/puts"
    rate_of_trivista -quiet -PSNR -zoom 1/2 -size 1920x1080 -shm >> "$work/shm"
    rate_of_put_images 960x540 shm >> "$work/puts_shm"
done

[ -n "${VERBOSE:-}" ] && paste "$work/plain" "$work/shm" "$work/puts" "$work/puts_shm" >&2
printf 'three 1920x1080 sequences at -zoom 1/2, %d frames, %d rounds, Xvfb depth 24 (medians, frames/s)\n' \
    "$frames" "$rounds"
for run in plain shm; do
    case $run in
        plain) label="trivista -quiet -PSNR"; limit=puts ;;
        shm) label="trivista -quiet -PSNR -shm"; limit=puts_shm ;;
    esac
    # Neighbouring runs share the machine's load: the median of per-round ratios is
    # steadier than the ratio of medians.
    ratio=$(paste "$work/$run" "$work/$limit" | awk '{ print 100 * $1 / $2 }' | median)
    printf '  %-34s %8.1f   %5.1f %% of its transfer of 6 x 960x540\n' "$label" "$(median < "$work/$run")" "$ratio"
done
printf '  %-34s %8.1f\n' "put_images (6 x XPutImage)" "$(median < "$work/puts")"
printf '  %-34s %8.1f\n' "put_images shm (6 x XShmPutImage)" "$(median < "$work/puts_shm")"
