// libFuzzer target: a sequence file of arbitrary contents, raw or YUV4MPEG2, through
// start-up (headers, picture size, frame range) and the reading of its frames. The
// first input byte chooses the command line's part: bit 0 gives -size 16x16, bit 1
// opens the file as the second sequence too, bits 2-3 a start frame of 0..3. The rest
// is the file. Every frame of the range must read whole and hold the file's bytes.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "exit_trap.h"
#include "fuzz_check.h"
#include "sandbox.h"
#include "startup_state.h"
#include "common/pixel_format.h"
#include "common/settings.h"
#include "source/file_frames.h"
#include "source/geometry.h"
#include "source/options.h"
#include "source/picture_size.h"
#include "source/sequence.h"

// Pictures larger than this are not read back, to keep each run short.
const int64_t max_checked_luma = 1 << 20;

static std::string sequence_path;

struct Input {
    uint8_t choices;
    const std::string *file;
};

static void start_up(void *context)
{
    const Input *input = (const Input *)context;
    if (input->choices & 1) {
        set_picture_size(16, 16);
        settings.size_given = 1;
    }
    playhead.start_frame = (input->choices >> 2) & 3;
    open_sequence(1, sequence_path.c_str());
    settings.expand = 1;
    if (input->choices & 2) {
        open_sequence(2, sequence_path.c_str());
        settings.expand = 2;
    }
    compute_geometry();
    fuzz_check(picture_size_allowed(settings.horizontal_size, settings.vertical_size), "size %dx%d",
               settings.horizontal_size, settings.vertical_size);
    compute_frame_range();
}

// Frame k of the range must read whole, and be the bytes the file holds there.
static void check_frame(const std::string &file, YuvFrame *picture, int k)
{
    const Source *source = &sequences[1].source;
    int64_t offset = file_frame_offset(source, k) + file_frames(source)->frame_header_bytes;
    fuzz_check(offset >= 0 && offset + settings.frame_size <= (int64_t)file.size(),
               "frame %d at %lld lies outside the file of %zu bytes", k, (long long)offset,
               file.size());
    fuzz_check(read_picture(1, picture) == 1, "frame %d of the range read short", k);
    const char *bytes = file.data() + offset;
    fuzz_check(memcmp(picture->y, bytes, (size_t)settings.luma_size) == 0 &&
                   memcmp(picture->u, bytes + settings.luma_size, (size_t)settings.chroma_size) == 0 &&
                   memcmp(picture->v, bytes + settings.luma_size + settings.chroma_size, (size_t)settings.chroma_size) ==
                       0,
               "frame %d does not hold the file's bytes", k);
}

static void check_frames(const std::string &file)
{
    if (settings.luma_size > max_checked_luma)
        return;
    YuvFrame picture = packed_frame((unsigned char *)malloc((size_t)settings.luma_size),
                                    (unsigned char *)malloc((size_t)settings.chroma_size),
                                    (unsigned char *)malloc((size_t)settings.chroma_size), settings.horizontal_size,
                                    settings.vertical_size, settings.pixel_format->bit_depth, settings.pixel_format->chroma);
    position_sequence(1, playhead.start_frame);
    for (int k = playhead.start_frame; k <= playhead.end_frame && k < playhead.start_frame + 3; k++)
        check_frame(file, &picture, k);
    free(picture.y);
    free(picture.u);
    free(picture.v);
}

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    sequence_path = enter_sandbox() + "/sequence";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    std::string file((const char *)data + 1, size - 1);
    FILE *out = fopen(sequence_path.c_str(), "wb");
    fuzz_check(out && fwrite(file.data(), 1, file.size(), out) == file.size() &&
                   fclose(out) == 0, "cannot write %s", sequence_path.c_str());

    reset_startup_state();
    Input input = {data[0], &file};
    int status = 0;
    if (call_catching_exit(start_up, &input, &status))
        fuzz_check(status == 1, "exit status %d", status);
    else if (sequences[1].source.kind != &decoded_stream_kind)  // the decoder target's
        check_frames(file);
    release_startup_state();
    return 0;
}
