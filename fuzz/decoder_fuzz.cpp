// libFuzzer target: an encoded sequence of arbitrary contents through the probe, start-up
// (stream, size, format, frame count), the decoding of its first frames and a step back. The first input
// byte chooses the file's name: bit 0 an .mkv name, decoded whatever it holds; otherwise a
// name without extension, decoded only when its content is recognised. The rest is the file.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "exit_trap.h"
#include "fuzz_check.h"
#include "common/pixel_format.h"
#include "common/settings.h"
#include "source/geometry.h"
#include "source/picture_size.h"
#include "source/sequence.h"
#include "sandbox.h"
#include "startup_state.h"

// Pictures larger than this are not decoded, to keep each run short.
const int64_t max_decoded_luma = 1 << 20;

static std::string named_path, bare_path;

static void start_up(void *context)
{
    open_sequence(1, (const char *)context);
    settings.expand = 1;
    compute_geometry();
    fuzz_check(picture_size_allowed(settings.horizontal_size, settings.vertical_size), "size %dx%d",
               settings.horizontal_size, settings.vertical_size);
    compute_frame_range();
}

// The first frames of the range, into a picture of the run's format: no more than counted.
// The planes are the caller's, since a refusal skips the rest of the body.
static void decode_frames(void *context)
{
    unsigned char *planes = (unsigned char *)context;
    YuvFrame picture = packed_frame(planes, settings.chroma_size ? planes + settings.luma_size : nullptr,
                                    settings.chroma_size ? planes + settings.luma_size + settings.chroma_size : nullptr,
                                    settings.horizontal_size, settings.vertical_size, settings.pixel_format->bit_depth,
                                    settings.pixel_format->chroma);
    position_sequence(1, playhead.start_frame);
    int got = 0;
    for (int k = playhead.start_frame; k <= playhead.end_frame && k < playhead.start_frame + 3; k++)
        got += read_picture(1, &picture);
    fuzz_check(got <= whole_frames(1), "decoded %d frames of %lld", got,
               (long long)whole_frames(1));
    position_sequence(1, playhead.start_frame);  // a step back: a seek to a key frame, or a restart
    read_picture(1, &picture);
}

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    named_path = enter_sandbox() + "/input.mkv";
    bare_path = enter_sandbox() + "/input";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const std::string &path = data[0] & 1 ? named_path : bare_path;
    FILE *out = fopen(path.c_str(), "wb");
    fuzz_check(out && fwrite(data + 1, 1, size - 1, out) == size - 1 && fclose(out) == 0,
               "cannot write %s", path.c_str());

    reset_startup_state();
    int status = 0;
    if (call_catching_exit(start_up, (void *)path.c_str(), &status))
        fuzz_check(status == 1, "exit status %d", status);
    else if (sequences[1].source.kind == &decoded_stream_kind && settings.luma_size <= max_decoded_luma) {
        void *planes = malloc((size_t)(settings.luma_size + 2 * settings.chroma_size));
        if (call_catching_exit(decode_frames, planes, &status))
            fuzz_check(status == 1, "exit status %d while decoding", status);
        free(planes);
    }
    release_startup_state();
    return 0;
}
