# Sourced by the playback benchmarks, after they set `frames`, `build` and `here`:
#   start_bench WIDTH HEIGHT SCREEN   a work directory (removed on exit), put_images built,
#                                     three random WIDTHxHEIGHT sequences of `frames` frames,
#                                     and a private Xvfb of SCREEN (WxHxD) as DISPLAY
#   rate_of_trivista ARGS...          frames/s of one whole run on the three sequences
#   rate_of_put_images ARGS...        frames/s of put_images FRAMES ARGS...
#   median                            the median of the numbers on standard input

trivista=$build/src/playback/trivista
[ -x "$trivista" ] || { echo "no trivista executable in $build (build it first)" >&2; exit 1; }

work=
xvfb_pid=
cleanup() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    [ -n "$work" ] && rm -rf "$work"
}
trap cleanup EXIT

start_bench() {
    local width=$1 height=$2 screen=$3 n
    work=$(mktemp -d /tmp/trivista-bench-XXXXXX)
    cc -O2 -Wall -Wextra -o "$work/put_images" "$here/put_images.c" -lXext -lX11
    # Content matters little to the conversion; random bytes defeat nothing and cost little.
    for n in 1 2 3; do
        head -c $((width * height * 3 / 2 * frames)) /dev/urandom > "$work/seq$n.yuv"
    done
    exec 3> "$work/displayfd"
    Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp -noreset >/dev/null 2>&1 &
    xvfb_pid=$!
    exec 3>&-
    for _ in $(seq 100); do
        [ -s "$work/displayfd" ] && break
        sleep 0.1
    done
    [ -s "$work/displayfd" ] || { echo "Xvfb did not start" >&2; exit 1; }
    export DISPLAY=:$(head -n1 "$work/displayfd")
}

rate_of() {
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null
    end=$(date +%s.%N)
    awk -v f="$frames" -v a="$start" -v b="$end" 'BEGIN { print f / (b - a) }'
}

rate_of_trivista() {
    rate_of "$trivista" -fps 1000000 "$@" -f1 "$work/seq1.yuv" -f2 "$work/seq2.yuv" \
        -f3 "$work/seq3.yuv"
}

rate_of_put_images() {
    rate_of "$work/put_images" "$frames" "$@"
}

median() {
    sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
