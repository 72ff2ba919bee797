#!/usr/bin/env bash
# Decoding ahead and moves that never queue: each goal as a ratio, its contenders measured
# side by side in interleaved rounds, medians printed with the conditions.
#
#   bench/decoder/ahead.sh [BUILD_DIR] [FRAMES] [ROUNDS]
#
# Material (kept in $TRIVISTA_BENCH_DATA, default /tmp/trivista-bench-decoder, as run.sh
# makes it): three 1920x1080 H.264 .mkv of FRAMES frames (default 60), their raw decodes and
# the same streams as elementary .264 files. On a private Xvfb of 1920x1080x24:
#   play    trivista -quiet -zoom 1/4 -fps 1000000 on the three .mkv (frames/s of the whole
#           run) against ffmpeg decoding the same three to null with its own threads;
#           goal: at least 0.7. Twice: the streams opened before (their counts kept), and
#           opened for the first time (counted now, in an empty cache folder). Also the
#           opening alone (-e 0: one frame shown) and the rate of the frames after it.
#   step    paused at frame 10 with -PSNR -zoom 1/4, Right onto a frame not measured yet and
#           Left back, on the .mkv and on their raw decodes; what the streams cost more, in
#           frame times of forward play of the streams with -PSNR; goal: at most 2.
#   forty   forty Right presses at once from frame 10, against playing 40 frames of the
#           streams with -PSNR; goal: at most 1.5.
#   quit    on the .264 (no times: a step back decodes from the start) at the last frame,
#           Left and 0.1 s later q: seconds from q to the end of the run; goal: at most 0.5.
# Needs: built trivista, ffmpeg with libx264, Xvfb, xwininfo, a C compiler, libXtst.
set -euo pipefail

here=$(cd "$(dirname "$0")/../playback" && pwd)
build=${1:-$here/../../build}
frames=${2:-60}
rounds=${3:-5}
source "$here/setup.sh"
command -v ffmpeg >/dev/null || { echo "ffmpeg is needed (scripts/install-deps.sh bench)" >&2; exit 1; }

source "$(dirname "$0")/material.sh"
start_bench 16 16 1920x1080x24
cc -O2 -Wall -Wextra -o "$work/moves" "$(dirname "$0")/moves.c" -lXtst -lX11
cat "${raws[@]}" "${streams[@]}" "${elementary[@]}" > /dev/null  # into the page cache
# Counts kept in a folder of the bench's own, made by one opening of each trio first.
export XDG_CACHE_HOME=$work/counts

trio() { local kind=$1; shift; case $kind in
    mkv) echo -f1 "${streams[1]}" -f2 "${streams[2]}" -f3 "${streams[3]}" ;;
    raw) echo -size 1920x1080 -f1 "${raws[1]}" -f2 "${raws[2]}" -f3 "${raws[3]}" ;;
    es) echo -f1 "${elementary[1]}" -f2 "${elementary[2]}" -f3 "${elementary[3]}" ;;
esac; }
seconds() { local a; a=$(date +%s.%N); "$@" > /dev/null; awk -v a="$a" -v b="$(date +%s.%N)" 'BEGIN { print b - a }'; }
# A viewer paused on its first frame; its output in $work/out.
viewer=
start_paused() {
    : > "$work/out"
    "$trivista" "$@" > "$work/out" 2> /dev/null &
    viewer=$!
    until xwininfo -root -tree 2>/dev/null | grep -q '"kestrin Trivista"'; do sleep 0.05; done
    "$work/moves" "$work/out" +300 space +100 click > /dev/null
}
end_viewer() { "$work/moves" "$work/out" q > /dev/null; wait "$viewer" || true; }

results=$work/results
: > "$results"
for kind in mkv es; do "$trivista" -quiet -zoom 1/4 -e 0 $(trio $kind) > /dev/null; done
for ((round = 1; round <= rounds; round++)); do
    # play
    echo "play_mkv $(awk -v f="$frames" -v s="$(seconds "$trivista" -quiet -zoom 1/4 -fps 1000000 $(trio mkv))" 'BEGIN { print f / s }')" >> "$results"
    # opening alone, the counts kept: one frame shown
    echo "open_mkv $(seconds "$trivista" -quiet -zoom 1/4 -fps 1000000 -e 0 $(trio mkv))" >> "$results"
    # the same, opened for the first time: each run keeps its counts in a folder of its own
    echo "play_first $(awk -v f="$frames" -v s="$(seconds env XDG_CACHE_HOME="$work/play-$round" "$trivista" -quiet -zoom 1/4 -fps 1000000 $(trio mkv))" 'BEGIN { print f / s }')" >> "$results"
    echo "open_first $(seconds env XDG_CACHE_HOME="$work/open-$round" "$trivista" -quiet -zoom 1/4 -fps 1000000 -e 0 $(trio mkv))" >> "$results"
    echo "play_psnr $(awk -v f="$frames" -v s="$(seconds "$trivista" -quiet -PSNR -zoom 1/4 -fps 1000000 $(trio mkv))" 'BEGIN { print f / s }')" >> "$results"
    echo "ffmpeg_decode $(awk -v f="$frames" -v s="$(seconds ffmpeg -hide_banner -loglevel error -nostdin -i "${streams[1]}" -i "${streams[2]}" -i "${streams[3]}" \
        -map 0:v -f null - -map 1:v -f null - -map 2:v -f null -)" 'BEGIN { print f / s }')" >> "$results"
    # step and forty
    for kind in mkv raw; do
        start_paused -PSNR -zoom 1/4 -fps 1 -s 10 $(trio $kind)
        echo "step_forward_$kind $("$work/moves" "$work/out" Right click)" >> "$results"
        echo "step_back_$kind $("$work/moves" "$work/out" Left click)" >> "$results"
        [ $kind = mkv ] && echo "forty_mkv $("$work/moves" "$work/out" $(printf 'Right %.0s' $(seq 40)) click)" >> "$results"
        end_viewer
    done
    # quit
    start_paused -PSNR -zoom 1/4 -fps 1 $(trio es)
    "$work/moves" "$work/out" End click > /dev/null
    "$work/moves" "$work/out" Left +100 q > /dev/null
    q_sent=$(date +%s.%N)
    wait "$viewer" || true
    echo "quit_es $(awk -v a="$q_sent" -v b="$(date +%s.%N)" 'BEGIN { print b - a }')" >> "$results"
done

m() { awk -v k="$1" '$1 == k { print $2 }' "$results" | median; }
printf 'three 1920x1080 H.264 streams of %d frames, Xvfb 1920x1080x24, -zoom 1/4, %d rounds (medians)\n' "$frames" "$rounds"
printf '  %-52s %8.1f frames/s\n' "trivista, the three .mkv" "$(m play_mkv)"
printf '  %-52s %8.1f frames/s\n' "trivista, the three .mkv opened for the first time" "$(m play_first)"
printf '  %-52s %8.1f frames/s\n' "trivista -PSNR, the three .mkv" "$(m play_psnr)"
printf '  %-52s %8.1f frames/s\n' "ffmpeg decoding the three to null" "$(m ffmpeg_decode)"
printf '  %-52s %8.2f  (goal >= 0.7)\n' "play: trivista / ffmpeg" "$(awk -v a="$(m play_mkv)" -v b="$(m ffmpeg_decode)" 'BEGIN { print a / b }')"
printf '  %-52s %8.2f\n' "play, opened for the first time: trivista / ffmpeg" "$(awk -v a="$(m play_first)" -v b="$(m ffmpeg_decode)" 'BEGIN { print a / b }')"
printf '  %-52s %8.3f s\n' "opening the three .mkv, -e 0" "$(m open_mkv)"
printf '  %-52s %8.3f s\n' "opening them for the first time (counting), -e 0" "$(m open_first)"
printf '  %-52s %8.2f\n' "play after opening: trivista / ffmpeg" \
    "$(awk -v f="$frames" -v a="$(m play_mkv)" -v o="$(m open_mkv)" -v b="$(m ffmpeg_decode)" 'BEGIN { print ((f - 1) / (f / a - o)) / b }')"
frame_time=$(awk -v r="$(m play_psnr)" 'BEGIN { print 1 / r }')
for way in forward back; do
    printf '  %-52s %8.3f s .mkv, %.3f s raw\n' "one step $way, -PSNR" "$(m step_${way}_mkv)" "$(m step_${way}_raw)"
    printf '  %-52s %8.2f  (goal <= 2)\n' "step $way: (.mkv - raw) / frame time" \
        "$(awk -v a="$(m step_${way}_mkv)" -v b="$(m step_${way}_raw)" -v t="$frame_time" 'BEGIN { print (a - b) / t }')"
done
printf '  %-52s %8.3f s\n' "forty Right presses at once, .mkv -PSNR" "$(m forty_mkv)"
printf '  %-52s %8.2f  (goal <= 1.5)\n' "forty: that / 40 frame times" "$(awk -v a="$(m forty_mkv)" -v t="$frame_time" 'BEGIN { print a / (40 * t) }')"
printf '  %-52s %8.3f s  (goal <= 0.5)\n' "q during a step back decoding three .264 from the start" "$(m quit_es)"
