#!/usr/bin/env bash
# Times trivista-report on a 10-bit pair against ffmpeg's psnr/ssim filters and against reading
# both files, side by side in one run on the same 3000-frame CIF yuv420p10le pair held in the
# page cache (1.8 GB). The same report on the 8-bit pair of bench/report/run.sh's content gives
# the cost of the wider samples.
#   bench/report/formats.sh [build-dir] [rounds]
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
format=yuv420p10le
data="${TRIVISTA_BENCH_DATA:-${TMPDIR:-/tmp}/trivista-bench-report}"

[ -x "$report" ] || { echo "no $report: build first (cmake --build $build)" >&2; exit 1; }
command -v ffmpeg >/dev/null || { echo "ffmpeg is needed (scripts/install-deps.sh bench)" >&2; exit 1; }

# The pair: a moving test picture and a noisy, slightly blurred copy, at 10 and at 8 bits.
mkdir -p "$data"
a="$data/original_$format.yuv" b="$data/degraded_$format.yuv"
a8="$data/original_yuv420p.yuv" b8="$data/degraded_yuv420p.yuv"
if [ ! -s "$a" ] || [ ! -s "$b" ]; then
  echo "making the $frames-frame CIF $format pair in $data ..." >&2
  ffmpeg -hide_banner -loglevel error -y -f lavfi -i "testsrc2=size=$size:rate=25" \
    -frames:v $frames -pix_fmt $format -f rawvideo "$a"
  ffmpeg -hide_banner -loglevel error -y -f rawvideo -pix_fmt $format -s $size -i "$a" \
    -vf "noise=alls=12:allf=t,boxblur=1:1" -pix_fmt $format -f rawvideo "$b"
fi
if [ ! -s "$a8" ] || [ ! -s "$b8" ]; then
  for f in "$a" "$b"; do
    ffmpeg -hide_banner -loglevel error -y -f rawvideo -pix_fmt $format -s $size -i "$f" \
      -pix_fmt yuv420p -f rawvideo "${f/_$format/_yuv420p}"
  done
fi
cat "$a" "$b" "$a8" "$b8" > /dev/null  # into the page cache

ff=(ffmpeg -hide_banner -loglevel error -nostdin
    -f rawvideo -pix_fmt $format -s $size -i "$a"
    -f rawvideo -pix_fmt $format -s $size -i "$b")

run_read()        { cat "$a" "$b" > /dev/null; }
run_ffmpeg_psnr() { "${ff[@]}" -lavfi "[0][1]psnr" -f null -; }
run_report_psnr() { "$report" -CIF -pix_fmt $format -no-ssim -f1 "$a" -f2 "$b" > /dev/null 2>&1; }
run_report_psnr_2t() { "$report" -CIF -pix_fmt $format -no-ssim -threads 2 -f1 "$a" -f2 "$b" > /dev/null 2>&1; }
run_ffmpeg_full() { "${ff[@]}" -lavfi "[1]split[b1][b2];[0][b1]psnr[m];[m][b2]ssim" -f null -; }
run_report_full() { "$report" -CIF -pix_fmt $format -f1 "$a" -f2 "$b" > /dev/null 2>&1; }
run_report8_psnr() { "$report" -CIF -no-ssim -f1 "$a8" -f2 "$b8" > /dev/null 2>&1; }

contenders=(read ffmpeg_psnr report_psnr report_psnr_2t ffmpeg_full report_full report8_psnr)
time_interleaved "$rounds" "${contenders[@]}"
declare -A fps
printf "%-16s %10s %12s   (%d rounds, %d frames %s %s)\n" contender "median s" "frames/s" "$rounds" $frames $size $format
for c in "${contenders[@]}"; do
  m=${median_seconds[$c]}
  fps[$c]=$(awk "BEGIN {print $frames / $m}")
  printf "%-16s %10.3f %12.0f\n" "$c" "$m" "${fps[$c]}"
done
ratio() { awk "BEGIN {print ${fps[$1]} / ${fps[$2]}}"; }
printf "report_psnr / ffmpeg_psnr  = %.2f  (goal >= 3)\n" "$(ratio report_psnr ffmpeg_psnr)"
printf "report_psnr / read         = %.2f\n" "$(ratio report_psnr read)"
printf "report_full / ffmpeg_full  = %.2f\n" "$(ratio report_full ffmpeg_full)"
printf "10-bit / 8-bit report_psnr = %.2f  (the 10-bit pair holds twice the bytes)\n" "$(ratio report_psnr report8_psnr)"
