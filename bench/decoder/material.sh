# Sourced by the decoder benchmarks: three 1920x1080 H.264 .mkv of $frames frames (ffmpeg's
# testsrc2 through libx264 -preset veryfast at crf 20, 28 and 36), their raw decodes and the
# same streams as elementary .264, kept in $TRIVISTA_BENCH_DATA (default
# /tmp/trivista-bench-decoder) and made only when missing. Fills streams[], raws[] and
# elementary[] (1..3).
data="${TRIVISTA_BENCH_DATA:-${TMPDIR:-/tmp}/trivista-bench-decoder}"
mkdir -p "$data"
for n in 1 2 3; do
    crf=$((12 + 8 * n))
    stream="$data/seq${n}_${frames}.mkv" raw="$data/seq${n}_${frames}.yuv" es="$data/seq${n}_${frames}.264"
    if [ ! -s "$stream" ] || [ ! -s "$raw" ]; then
        echo "making $stream and its decode ..." >&2
        ffmpeg -hide_banner -loglevel error -nostdin -y -f lavfi -i "testsrc2=size=1920x1080:rate=25" \
            -frames:v "$frames" -pix_fmt yuv420p -c:v libx264 -preset veryfast -crf $crf "$stream"
        ffmpeg -hide_banner -loglevel error -nostdin -y -i "$stream" -fps_mode passthrough \
            -f rawvideo -pix_fmt yuv420p "$raw"
    fi
    [ -s "$es" ] || ffmpeg -hide_banner -loglevel error -nostdin -y -i "$stream" -c copy "$es"
    streams[n]=$stream raws[n]=$raw elementary[n]=$es
done
