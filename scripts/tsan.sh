#!/usr/bin/env bash
# The decoding threads under ThreadSanitizer: builds the viewer and the report with
# -fsanitize=thread into build-tsan/, makes a trio of short encodes with ffmpeg, and runs the
# report and the viewer (on a private Xvfb, with steps and jumps through XTest) on it, the
# viewer on the counts the report kept. Any report of a data race fails the run.
#   scripts/tsan.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" test
build=${1:-$root/build-tsan}
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTRIVISTA_THREAD_SANITIZE=ON \
    -DTRIVISTA_TESTS=OFF -DTRIVISTA_BENCHMARKS=OFF > /dev/null
cmake --build "$build" -j2 --target trivista trivista-report > /dev/null
work=$(mktemp -d /tmp/trivista-tsan-XXXXXX)
xvfb=
cleanup() { [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
ff() { ffmpeg -hide_banner -loglevel error -nostdin -y "$@"; }
# 180 frames: enough for the report to keep the counts and the viewer to take them.
export XDG_CACHE_HOME=$work/cache
ff -f lavfi -i testsrc2=size=352x288:rate=25 -frames:v 180 -pix_fmt yuv420p "$work/o.yuv"
ff -f rawvideo -s 352x288 -i "$work/o.yuv" -c:v libx264 -g 12 -bf 2 "$work/a.mkv"
ff -f rawvideo -s 352x288 -i "$work/o.yuv" -c:v libx264 -crf 40 "$work/b.264"
ff -f rawvideo -s 352x288 -i "$work/o.yuv" -c:v libx265 -x265-params log-level=none "$work/c.mp4"
export TSAN_OPTIONS="halt_on_error=1 exitcode=66 report_signal_unsafe=0"
"$build/src/report/trivista-report" -threads 2 -f1 "$work/a.mkv" -f2 "$work/b.264" -f3 "$work/c.mp4" \
    > "$work/report.csv"
exec 3> "$work/displayfd"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb=$!
exec 3>&-
for _ in $(seq 100); do [ -s "$work/displayfd" ] && break; sleep 0.1; done
export DISPLAY=:$(head -n1 "$work/displayfd")
cc -o "$work/keys" -x c - -lX11 -lXtst <<'C'
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <stdlib.h>
#include <unistd.h>
/* Each argument a key name, or +MS to wait; the pointer rests on the main window. */
int main(int argc, char **argv)
{
    Display *d = XOpenDisplay(0);
    if (!d) return 1;
    XTestFakeMotionEvent(d, -1, 20, 20, 0);
    for (int i = 1; i < argc; i++) {
        if (argv[i][0] == '+') { XSync(d, 0); usleep(atoi(argv[i] + 1) * 1000); continue; }
        KeyCode k = XKeysymToKeycode(d, XStringToKeysym(argv[i]));
        XTestFakeKeyEvent(d, k, True, 0), XTestFakeKeyEvent(d, k, False, 0);
    }
    XSync(d, 0);
    return 0;
}
C
"$build/src/playback/trivista" -l -PSNR -f1 "$work/a.mkv" -f2 "$work/b.264" -f3 "$work/c.mp4" \
    > /dev/null 2> "$work/viewer.err" &
viewer=$!
sleep 4
"$work/keys" space +300 End +300 Left Left Left +300 Home +100 Right Right Right Right Right +300 \
    Next +200 Prior Down Left +20 End +20 q
status=0
wait "$viewer" || status=$?
cat "$work/viewer.err" >&2
[ "$status" = 0 ] || { echo "tsan: the viewer ended with status $status" >&2; exit 1; }
echo "tsan: report and viewer ran clean on three decoded sequences"
