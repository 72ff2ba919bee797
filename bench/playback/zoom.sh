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
trivista=$build/src/playback/trivista
[ -x "$trivista" ] || { echo "no trivista executable in $build (build it first)" >&2; exit 1; }

work=$(mktemp -d /tmp/trivista-bench-XXXXXX)
xvfb_pid=
cleanup() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

cc -O2 -Wall -Wextra -o "$work/put_images" "$here/put_images.c" -lXext -lX11

# Content matters little to the kernels; random bytes defeat nothing and cost little.
frame_bytes=$((1920 * 1080 * 3 / 2))
for n in 1 2 3; do
    head -c $((frame_bytes * frames)) /dev/urandom > "$work/seq$n.yuv"
done

# The main window at 1/2 with -PSNR is 2880x1280; the screen holds it, so nothing is clipped.
exec 3> "$work/displayfd"
Xvfb -displayfd 3 -screen 0 2944x1344x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 100); do
    [ -s "$work/displayfd" ] && break
    sleep 0.1
done
[ -s "$work/displayfd" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$(head -n1 "$work/displayfd")

rate_of_trivista() {
    local start end
    start=$(date +%s.%N)
    "$trivista" -quiet -PSNR -zoom 1/2 -size 1920x1080 -fps 1000000 "$@" \
        -f1 "$work/seq1.yuv" -f2 "$work/seq2.yuv" -f3 "$work/seq3.yuv" >/dev/null
    end=$(date +%s.%N)
    awk -v f="$frames" -v a="$start" -v b="$end" 'BEGIN { print f / (b - a) }'
}

rate_of_put_images() {
    local start end
    start=$(date +%s.%N)
    "$work/put_images" "$frames" 960x540 "$@" >/dev/null
    end=$(date +%s.%N)
    awk -v f="$frames" -v a="$start" -v b="$end" 'BEGIN { print f / (b - a) }'
}

median() {
    sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

: > "$work/plain"; : > "$work/shm"; : > "$work/puts"; : > "$work/puts_shm"
for round in $(seq "$rounds"); do
    rate_of_trivista >> "$work/plain"
    rate_of_put_images >> "$work/puts"
    rate_of_trivista -shm >> "$work/shm"
    rate_of_put_images shm >> "$work/puts_shm"
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
