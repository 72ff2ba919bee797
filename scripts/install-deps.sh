#!/usr/bin/env bash
# Installs the Debian packages that a purpose needs, and only those that are missing.
#   scripts/install-deps.sh build   # compiler, CMake, X11, Xpm, cairo and ffmpeg-library headers
#   scripts/install-deps.sh demo    # build + Xvfb and ImageMagick for the screenshot
#   scripts/install-deps.sh test    # demo + GoogleTest, XTest for keys and clicks, clang's
#                                   libFuzzer, ffmpeg as a peer, python3 to check the plot's SVG
#   scripts/install-deps.sh bench   # build + Google Benchmark, the reference converter, Xvfb,
#                                   XTest and xwininfo for the move benchmarks
set -euo pipefail

build=(g++ cmake make pkg-config libx11-dev libxpm-dev libxext-dev libcairo2-dev libavformat-dev
       libavcodec-dev libavutil-dev)
demo=("${build[@]}" xvfb xauth x11-utils imagemagick)
test=("${demo[@]}" libgtest-dev libxtst-dev clang libclang-rt-14-dev ffmpeg groff-base
      man-db python3)
bench=("${build[@]}" xvfb xauth x11-utils libxtst-dev libbenchmark-dev libyuv-dev ffmpeg hyperfine)

case "${1:-build}" in
  build) wanted=("${build[@]}") ;;
  demo)  wanted=("${demo[@]}") ;;
  test)  wanted=("${test[@]}") ;;
  bench) wanted=("${bench[@]}") ;;
  *) echo "usage: $0 build|demo|test|bench" >&2; exit 2 ;;
esac

missing=()
for package in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" \
    || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
  echo "Run as root (or install these packages by hand): ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
