#!/usr/bin/env bash
# Times trivista-align against trivista-report on the same CIF pair (the demo generator's
# Encoded and Transmitted, about one frame in 25 lost), side by side in one run, with both
# files in the page cache.
#   bench/align/run.sh [build-dir] [rounds] [frames]
# Prints the median seconds of each contender and the ratio align / report (goal <= 1).
set -euo pipefail
source "$(dirname "$0")/../interleave.sh"

root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$root/build}"
rounds="${2:-3}"
frames="${3:-3000}"
align="$build/src/align/trivista-align"
report="$build/src/report/trivista-report"
makeseq="$build/tools/trivista-makeseq"
data="${TRIVISTA_BENCH_DATA:-${TMPDIR:-/tmp}/trivista-bench-align}/$frames"

for program in "$align" "$report" "$makeseq"; do
  [ -x "$program" ] || { echo "no $program: build first (cmake --build $build)" >&2; exit 1; }
done
mkdir -p "$data"
if [ ! -s "$data/transmitted.freeze" ]; then
  echo "making the $frames-frame CIF trio in $data ..." >&2
  "$makeseq" -CIF -n "$frames" -seed 5 -quiet -o "$data"
fi
e="$data/encoded.yuv" t="$data/transmitted.yuv"
cat "$e" "$t" > /dev/null  # into the page cache

# The aligner must find the generator's list, or its time means nothing.
"$align" -CIF "$e" "$t" 2>/dev/null | cmp -s - "$data/transmitted.freeze" ||
  { echo "trivista-align did not find transmitted.freeze" >&2; exit 1; }

run_align()        { "$align" -CIF "$e" "$t" > /dev/null 2>&1; }
run_report()       { "$report" -CIF -f1 "$e" -f2 "$t" -fr2 "$data/transmitted.freeze" > /dev/null 2>&1; }
run_report_nossim() { "$report" -CIF -no-ssim -f1 "$e" -f2 "$t" -fr2 "$data/transmitted.freeze" > /dev/null 2>&1; }

contenders=(align report report_nossim)
time_interleaved "$rounds" "${contenders[@]}"
printf "%-14s %10s   (%d rounds, %d CIF frames)\n" contender "median s" "$rounds" "$frames"
for c in "${contenders[@]}"; do
  printf "%-14s %10.3f\n" "$c" "${median_seconds[$c]}"
done
printf "align / report         = %.2f  (goal <= 1)\n" "$(awk "BEGIN {print ${median_seconds[align]} / ${median_seconds[report]}}")"
printf "align / report -no-ssim = %.2f\n" "$(awk "BEGIN {print ${median_seconds[align]} / ${median_seconds[report_nossim]}}")"
