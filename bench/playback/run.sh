#!/usr/bin/env bash
# Playback rate against the bare transfer limit, side by side in one run.
#
#   bench/playback/run.sh [BUILD_DIR] [FRAMES] [ROUNDS]
#
# Plays three CIF sequences of FRAMES frames (default 300) with -fps 1000000 on a
# private Xvfb of depth 24, once with "-quiet" and once with "-quiet -PSNR", and runs
# put_images (six CIF XPutImage calls per frame, nothing else) on the same server.
# The same two runs follow with -shm (panes through shared memory), and put_images with
# XShmPutImage from one shared segment (the shared-memory transfer limit). All six are
# interleaved ROUNDS times (default 5); medians of frames per second are reported with
# their ratio to the transfer limit of the ordinary path. Each rate is wall-clock time
# of the whole process (start-up, window and FRAMES frames).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../../build}
frames=${2:-300}
rounds=${3:-5}
source "$here/setup.sh"
start_bench 352 288 1280x1024x24

: > "$work/plain"; : > "$work/psnr"; : > "$work/plain_shm"; : > "$work/psnr_shm"; : > "$work/puts"; : > "$work/puts_shm"
for round in $(seq "$rounds"); do
    rate_of_trivista -quiet -CIF >> "$work/plain"
    rate_of_trivista -quiet -CIF -PSNR >> "$work/psnr"
    rate_of_put_images >> "$work/puts"
    rate_of_trivista -quiet -CIF -shm >> "$work/plain_shm"
    rate_of_trivista -quiet -CIF -PSNR -shm >> "$work/psnr_shm"
    rate_of_put_images shm >> "$work/puts_shm"
done

[ -n "${VERBOSE:-}" ] && paste "$work/plain" "$work/psnr" "$work/plain_shm" "$work/psnr_shm" "$work/puts" "$work/puts_shm" >&2
puts=$(median < "$work/puts")
printf 'three CIF sequences, %d frames, %d rounds, Xvfb depth 24 (medians, frames/s)\n' "$frames" "$rounds"
for run in plain psnr plain_shm psnr_shm; do
    rate=$(median < "$work/$run")
    case $run in
        plain) label="trivista -quiet" ;;
        psnr) label="trivista -quiet -PSNR" ;;
        plain_shm) label="trivista -quiet -shm" ;;
        psnr_shm) label="trivista -quiet -PSNR -shm" ;;
    esac
    # Neighbouring runs share the machine's load: the median of per-round ratios is
    # steadier than the ratio of medians.
    ratio=$(paste "$work/$run" "$work/puts" | awk '{ print 100 * $1 / $2 }' | median)
    printf '  %-28s %8.1f   %5.1f %% of the transfer limit (per-round median)\n' "$label" "$rate" "$ratio"
done
printf '  %-28s %8.1f\n' "put_images (6 x XPutImage)" "$puts"
printf '  %-28s %8.1f\n' "put_images shm (6 x XShmPutImage)" "$(median < "$work/puts_shm")"
