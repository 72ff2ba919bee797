#!/usr/bin/env bash
# Makes docs/report-plot.png, the README's picture of `trivista-report -plot`: the plot of
# the demo trio as ./demo makes it by default (QCIF, 100 frames, seed 1).
#   scripts/make-report-plot.sh [build-dir] [output]     (default: build, docs/report-plot.png)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
output="${2:-$root/docs/report-plot.png}"
makeseq="$build/tools/trivista-makeseq"
report="$build/src/report/trivista-report"
for program in "$makeseq" "$report"; do
  [ -x "$program" ] || { echo "no $program: cmake --build $build --target trivista-makeseq trivista-report" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$makeseq" -n 100 -seed 1 -quiet -o "$work"
"$report" -f1 "$work/original.yuv" -f2 "$work/encoded.yuv" -f3 "$work/transmitted.yuv" \
  -fr3 "$work/transmitted.freeze" -plot "$output" >/dev/null
echo "$output"
