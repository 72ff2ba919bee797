#!/usr/bin/env bash
# Times trivista-report against ffmpeg's psnr/ssim filters and against reading both files,
# side by side in one run on the same 3000-frame CIF pair held in the page cache.
#   bench/report/run.sh [build-dir] [rounds]
# Prints the median frames per second of each contender and the ratios.
# Needs: a built trivista-report, ffmpeg (to make the pair and as the peer).
set -euo pipefail
source "$(dirname "$0")/../interleave.sh"

root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$root/build}"
rounds="${2:-5}"
report="$build/src/report/trivista-report"
frames=3000
size=352x288
data="${TRIVISTA_BENCH_DATA:-${TMPDIR:-/tmp}/trivista-bench-report}"

[ -x "$report" ] || { echo "no $report: build first (cmake --build $build)" >&2; exit 1; }
command -v ffmpeg >/dev/null || { echo "ffmpeg is needed (scripts/install-deps.sh bench)" >&2; exit 1; }

# The pair: a moving test picture and a noisy, slightly blurred copy.
mkdir -p "$data"
a="$data/original.yuv" b="$data/degraded.yuv"
if [ ! -s "$a" ] || [ ! -s "$b" ]; then
  echo "making the $frames-frame CIF pair in $data ..." >&2
  ffmpeg -hide_banner -loglevel error -y -f lavfi -i "testsrc2=size=$size:rate=25" \
    -frames:v $frames -pix_fmt yuv420p -f rawvideo "$a"
  ffmpeg -hide_banner -loglevel error -y -f rawvideo -pix_fmt yuv420p -s $size -i "$a" \
    -vf "noise=alls=12:allf=t,boxblur=1:1" -pix_fmt yuv420p -f rawvideo "$b"
fi
cat "$a" "$b" > /dev/null  # into the page cache

ff=(ffmpeg -hide_banner -loglevel error -nostdin
    -f rawvideo -pix_fmt yuv420p -s $size -i "$a"
    -f rawvideo -pix_fmt yuv420p -s $size -i "$b")

run_read()        { cat "$a" "$b" > /dev/null; }
run_ffmpeg_psnr() { "${ff[@]}" -lavfi "[0][1]psnr" -f null -; }
run_report_psnr() { "$report" -CIF -no-ssim -f1 "$a" -f2 "$b" > /dev/null 2>&1; }
run_report_psnr_2t() { "$report" -CIF -no-ssim -threads 2 -f1 "$a" -f2 "$b" > /dev/null 2>&1; }
run_ffmpeg_full() { "${ff[@]}" -lavfi "[1]split[b1][b2];[0][b1]psnr[m];[m][b2]ssim" -f null -; }
run_report_full() { "$report" -CIF -f1 "$a" -f2 "$b" > /dev/null 2>&1; }
run_report_full_2t() { "$report" -CIF -threads 2 -f1 "$a" -f2 "$b" > /dev/null 2>&1; }
# Three sequences (the degraded file again as the third): pairs measured in parallel.
run_report3_full() { "$report" -CIF -f1 "$a" -f2 "$b" -f3 "$b" > /dev/null 2>&1; }
run_report3_full_2t() { "$report" -CIF -threads 2 -f1 "$a" -f2 "$b" -f3 "$b" > /dev/null 2>&1; }

contenders=(read ffmpeg_psnr report_psnr report_psnr_2t ffmpeg_full report_full report_full_2t
            report3_full report3_full_2t)
time_interleaved "$rounds" "${contenders[@]}"
declare -A fps
printf "%-16s %10s %12s   (%d rounds, %d frames %s)\n" contender "median s" "frames/s" "$rounds" $frames $size
for c in "${contenders[@]}"; do
  m=${median_seconds[$c]}
  fps[$c]=$(awk "BEGIN {print $frames / $m}")
  printf "%-16s %10.3f %12.0f\n" "$c" "$m" "${fps[$c]}"
done
ratio() { awk "BEGIN {print ${fps[$1]} / ${fps[$2]}}"; }
printf "report_psnr / ffmpeg_psnr  = %.2f  (goal >= 3)\n" "$(ratio report_psnr ffmpeg_psnr)"
printf "report_psnr / read         = %.2f  (goal >= 0.5)\n" "$(ratio report_psnr read)"
printf "report_full / ffmpeg_full  = %.2f  (goal >= 2)\n" "$(ratio report_full ffmpeg_full)"
printf "two threads / one thread   = %.2f (PSNR only), %.2f (full), %.2f (three sequences, full)\n" \
  "$(ratio report_psnr_2t report_psnr)" "$(ratio report_full_2t report_full)" \
  "$(ratio report3_full_2t report3_full)"
