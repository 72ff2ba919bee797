#!/usr/bin/env bash
# What -plot adds to a report of 100,000 frames: trivista-report on the demo generator's
# trio at 16x16 (three sequences, SSIM, a freeze list), without a plot and with each
# format, side by side in one run. Goal: each format adds less than 0.5 s.
#   bench/report/plot.sh [build-dir] [rounds]
# Prints the median seconds of each contender and what each format adds.
set -euo pipefail
source "$(dirname "$0")/../interleave.sh"

root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$root/build}"
rounds="${2:-7}"
report="$build/src/report/trivista-report"
makeseq="$build/tools/trivista-makeseq"
frames=100000
data="${TRIVISTA_BENCH_DATA:-${TMPDIR:-/tmp}/trivista-bench-plot}"

for program in "$report" "$makeseq"; do
  [ -x "$program" ] || { echo "no $program: build first (cmake --build $build)" >&2; exit 1; }
done
if [ ! -s "$data/transmitted.freeze" ]; then
  echo "making the $frames-frame 16x16 trio in $data ..." >&2
  "$makeseq" -size 16x16 -n $frames -seed 1 -quiet -o "$data"
fi
cat "$data"/*.yuv > /dev/null  # into the page cache

trio=(-size 16x16 -f1 "$data/original.yuv" -f2 "$data/encoded.yuv" -f3 "$data/transmitted.yuv"
      -fr3 "$data/transmitted.freeze")
run_none() { "$report" "${trio[@]}" > /dev/null 2>&1; }
run_png()  { "$report" "${trio[@]}" -plot "$data/plot.png" > /dev/null 2>&1; }
run_svg()  { "$report" "${trio[@]}" -plot "$data/plot.svg" > /dev/null 2>&1; }
run_pdf()  { "$report" "${trio[@]}" -plot "$data/plot.pdf" > /dev/null 2>&1; }

contenders=(none png svg pdf)
time_interleaved "$rounds" "${contenders[@]}"
printf "%-8s %10s   (%d rounds, %d frames 16x16, three sequences)\n" contender "median s" "$rounds" $frames
for c in "${contenders[@]}"; do
  printf "%-8s %10.3f\n" "$c" "${median_seconds[$c]}"
done
for c in png svg pdf; do
  printf "%s adds %.3f s  (goal < 0.5)\n" "$c" "$(awk "BEGIN {print ${median_seconds[$c]} - ${median_seconds[none]}}")"
done
