// Which files are decoded: by the name where it is plain, by the content otherwise.
#include <strings.h>

#include <cstdio>
#include <cstring>
#include <vector>

extern "C" {
#include <libavformat/avformat.h>
}

#include "decoded_source.h"
#include "picture_size.h"

// Containers, bitstreams and pictures by their usual extensions, and raw YUV by its own.
static const char *const encoded_extensions[] = {
    "mkv", "mp4",  "mov", "m4v", "webm", "ivf", "264", "h264", "avc",  "265",  "h265",
    "hevc", "ts",  "m2ts", "mts", "avi", "obu", "mpg", "mpeg", "m2v",  "flv",  "3gp",
    "mxf", "nut",  "ogv", "ogg", "wmv", "asf", "dv",  "vob",  "mjpeg", "mjpg", "png",
    "jpg", "jpeg", "gif", "bmp", "webp", "tif", "tiff", "mp3"};
static const char *const raw_extensions[] = {"yuv", "raw", "i420", "iyuv", "yv12", "nv12",
                                              "y4m", "rgb", "gray", "grey"};

// The content probe reads no more than this, in steps that stop at the first sure claim.
static const int probe_bytes_at_most = 1 << 20;

static bool extension_in(const char *path, const char *const *list, size_t count)
{
    const char *dot = strrchr(path, '.');
    const char *slash = strrchr(path, '/');
    if (!dot || (slash && dot < slash))
        return false;
    for (size_t i = 0; i < count; i++)
        if (strcasecmp(dot + 1, list[i]) == 0)
            return true;
    return false;
}

void quiet_decoder_library()
{
    static bool done = false;
    if (!done)
        av_log_set_level(AV_LOG_QUIET);  // decode errors are concealed, not reported
    done = true;
}

// JPEG pictures and motion JPEG claim their content only as firmly as a guess by the name
// (the library leaves the last word to the extension), so their start marker must confirm them.
static bool jpeg_claims(const unsigned char *bytes, size_t length, int score)
{
    return score >= AVPROBE_SCORE_EXTENSION / 2 && length >= 3 && bytes[0] == 0xFF &&
           bytes[1] == 0xD8 && bytes[2] == 0xFF;
}

// Whether a demuxer claims the content more firmly than a guess by the name would.
static bool demuxer_claims(const char *path)
{
    FILE *file = fopen(path, "rb");
    if (!file)
        return false;
    std::vector<unsigned char> buffer(probe_bytes_at_most + AVPROBE_PADDING_SIZE);
    size_t got = fread(buffer.data(), 1, probe_bytes_at_most, file);
    fclose(file);
    for (size_t length = 4096;; length *= 4) {
        size_t used = length < got ? length : got;
        AVProbeData probe = {path, buffer.data(), (int)used, nullptr};
        memset(buffer.data() + used, 0, AVPROBE_PADDING_SIZE);
        int score = 0;
        const AVInputFormat *format = av_probe_input_format3(&probe, 1, &score);
        if (format && (score > AVPROBE_SCORE_EXTENSION || jpeg_claims(buffer.data(), used, score)))
            return true;
        if (used == got)
            return false;
    }
}

bool looks_encoded(const char *path, bool read_content)
{
    if (extension_in(path, raw_extensions, sizeof raw_extensions / sizeof *raw_extensions))
        return false;
    if (extension_in(path, encoded_extensions,
                     sizeof encoded_extensions / sizeof *encoded_extensions))
        return true;
    NameHints hints;
    if (read_name_hints(path, &hints) || !read_content)
        return false;  // a name that gives a size or format is a raw file's
    quiet_decoder_library();
    return demuxer_claims(path);
}
