#!/usr/bin/env bash
# Encoded files decoded on the fly against the same pictures read as raw files.
#
#   bench/decoder/run.sh [BUILD_DIR] [FRAMES] [ROUNDS]
#
# Makes three 1920x1080 H.264 streams of FRAMES frames (default 60: ffmpeg's testsrc2 through
# libx264 -preset veryfast at three qualities, in .mkv) and ffmpeg's decodes of them to raw
# (kept in $TRIVISTA_BENCH_DATA, default /tmp/trivista-bench-decoder). Then, ROUNDS times
# (default 5), interleaved:
#   - playback: trivista -quiet -zoom 1/2 -fps 1000000 on the three streams and on the three
#     raw files, on a private Xvfb of depth 24 that holds the whole window (frames/s of the
#     whole process: start-up, window and FRAMES frames);
#   - measurement: trivista-report -no-ssim on the first two streams against ffmpeg -lavfi psnr
#     on the same two, beside trivista-report on their raw decodes and ffmpeg decoding both to
#     nothing (median seconds).
# Needs: built trivista and trivista-report, ffmpeg with libx264, Xvfb, a C compiler.
set -euo pipefail

here=$(cd "$(dirname "$0")/../playback" && pwd)  # where setup.sh finds its put_images.c
build=${1:-$here/../../build}
frames=${2:-60}
rounds=${3:-5}
source "$here/setup.sh"
source "$here/../interleave.sh"
report=$build/src/report/trivista-report
[ -x "$report" ] || { echo "no $report: build first" >&2; exit 1; }
command -v ffmpeg >/dev/null || { echo "ffmpeg is needed (scripts/install-deps.sh bench)" >&2; exit 1; }

source "$(dirname "$0")/material.sh"
# The server only: the tiny sequences start_bench makes are not used. At 1/2 the three panes
# and their differences fit 2944x1344 (as in bench/playback/zoom.sh).
start_bench 16 16 2944x1344x24
cat "${raws[@]}" "${streams[@]}" > /dev/null  # into the page cache

play() { rate_of "$trivista" -fps 1000000 -quiet -zoom 1/2 "$@"; }
: > "$work/play_streams"; : > "$work/play_raw"
run_play_streams() { play -f1 "${streams[1]}" -f2 "${streams[2]}" -f3 "${streams[3]}" >> "$work/play_streams"; }
run_play_raw()     { play -size 1920x1080 -f1 "${raws[1]}" -f2 "${raws[2]}" -f3 "${raws[3]}" >> "$work/play_raw"; }
run_ffmpeg_psnr()  { ffmpeg -hide_banner -loglevel error -nostdin -i "${streams[1]}" -i "${streams[2]}" -lavfi "[0][1]psnr" -f null -; }
run_ffmpeg_decode() { ffmpeg -hide_banner -loglevel error -nostdin -i "${streams[1]}" -i "${streams[2]}" \
                        -map 0:v -f null - -map 1:v -f null -; }
run_report_streams() { "$report" -no-ssim -f1 "${streams[1]}" -f2 "${streams[2]}" > /dev/null 2>&1; }
run_report_raw()   { "$report" -no-ssim -size 1920x1080 -f1 "${raws[1]}" -f2 "${raws[2]}" > /dev/null 2>&1; }

# Every contender must work before anything is timed: a refusal would time as a fast run.
"$report" -no-ssim -f1 "${streams[1]}" -f2 "${streams[2]}" > "$work/report_streams.csv" 2>/dev/null
"$report" -no-ssim -size 1920x1080 -f1 "${raws[1]}" -f2 "${raws[2]}" > "$work/report_raw.csv" 2>/dev/null
cmp -s "$work/report_streams.csv" "$work/report_raw.csv" ||
    { echo "trivista-report gives other figures for the streams than for their decodes" >&2; exit 1; }
"$trivista" -fps 1000000 -quiet -zoom 1/2 -e 0 -f1 "${streams[1]}" -f2 "${streams[2]}" -f3 "${streams[3]}" >/dev/null

contenders=(play_streams play_raw ffmpeg_psnr ffmpeg_decode report_streams report_raw)
time_interleaved "$rounds" "${contenders[@]}"

[ -n "${VERBOSE:-}" ] && paste "$work/play_streams" "$work/play_raw" >&2
printf 'three 1920x1080 H.264 streams, %d frames, %d rounds (medians)\n' "$frames" "$rounds"
streams_fps=$(median < "$work/play_streams")
raw_fps=$(median < "$work/play_raw")
# Neighbouring runs share the machine's load: the median of per-round ratios is steadier.
ratio=$(paste "$work/play_streams" "$work/play_raw" | awk '{ print 100 * $1 / $2 }' | median)
printf '  %-40s %8.1f frames/s\n' "trivista, the three streams" "$streams_fps"
printf '  %-40s %8.1f frames/s\n' "trivista, their raw decodes" "$raw_fps"
printf '  %-40s %8.1f %%  (per-round median)\n' "streams / raw" "$ratio"
for c in ffmpeg_psnr ffmpeg_decode report_streams report_raw; do
    case $c in
        ffmpeg_psnr) label="ffmpeg -lavfi psnr, two streams" ;;
        ffmpeg_decode) label="ffmpeg decoding two streams to null" ;;
        report_streams) label="trivista-report -no-ssim, two streams" ;;
        report_raw) label="trivista-report -no-ssim, their decodes" ;;
    esac
    printf '  %-40s %8.3f s  (%.0f frames/s)\n' "$label" "${median_seconds[$c]}" \
        "$(awk "BEGIN {print $frames / ${median_seconds[$c]}}")"
done
printf '  %-40s %8.2f  (above 1: the report is faster)\n' "ffmpeg_psnr / report_streams" \
    "$(awk "BEGIN {print ${median_seconds[ffmpeg_psnr]} / ${median_seconds[report_streams]}}")"
