// libFuzzer target: the reader of kept frame counts, on entries whose checksum is right, so
// that every check behind it is reached. The input follows the entry's start (its magic and
// a file state of zeros, stream 0) and is followed by its checksum.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" {
#include <libavutil/pixdesc.h>
}

#include "source/decoded_counts.h"
#include "source/decoded_record.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::vector<unsigned char> entry = {'T', 'V', 'C', 'O', 'U', 'N', 'T', '1'};
    entry.resize(entry.size() + sizeof(int64_t) * file_state_fields);
    entry.insert(entry.end(), data, data + size);
    uint64_t sum = count_entry_checksum(entry.data(), entry.size());
    entry.insert(entry.end(), (unsigned char *)&sum, (unsigned char *)&sum + sizeof sum);

    DecodedSource s{};
    s.timed = true;
    if (!take_count_entry(entry.data(), entry.size(), &s))
        return 0;
    // Taken: a count that the decoder could have given.
    size_t frames = (size_t)s.frames;
    int64_t lost = 0;
    for (size_t i = 0; i < s.lost_at.size(); i++)
        lost += s.lost_at[i];
    if (s.frames < 1 || s.lost_at.size() != frames || s.types.size() != frames || s.lost_at[0] ||
        lost != s.lost || s.width < 1 || s.height < 1 || !av_get_pix_fmt_name((AVPixelFormat)s.pix_fmt))
        abort();
    if (s.timed ? s.frame_times.size() != frames || s.key_frames.size() != frames : !s.frame_times.empty())
        abort();
    for (size_t i = 1; s.timed && i < frames; i++)
        if (s.frame_times[i] <= s.frame_times[i - 1])
            abort();
    return 0;
}
