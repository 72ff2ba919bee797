#include "reduce.h"

#include <cstring>

#include "common/kernel_choice.h"
#include "common/pixel_format.h"

// Sample x of a row of one- or two-byte samples.
template <int bytes>
static inline int sample_at(const unsigned char *row, int x)
{
    return bytes == 2 ? row[2 * x] | row[2 * x + 1] << 8 : row[x];
}

// One output row from `down` (1 or 2) input rows `stride` bytes apart, `across` (1 or 2)
// samples a step: each output sample is the rounded mean of the samples it covers. Plain
// loops for each case, so that the compiler can vectorise them.
template <int bytes, int across, int down>
static void reduce_row(const unsigned char *in, ptrdiff_t stride, unsigned char *out, int width,
                       int bit_depth)
{
    const int count_shift = (across == 2) + (down == 2);
    for (int x = 0; x < width; x++) {
        int sum = 0;
        for (int j = 0; j < down; j++)
            for (int i = 0; i < across; i++)
                sum += sample_at<bytes>(in + j * stride, x * across + i);
        out[x] = rounded_to_8_bits(sum, count_shift, bit_depth);
    }
}

template <int bytes>
static void reduce_planes(const YuvFrame *in, YuvFrame *out)
{
    for (int y = 0; y < in->height; y++)
        reduce_row<bytes, 1, 1>(in->y + y * in->luma_stride, 0, out->y + y * out->luma_stride,
                                in->width, in->bit_depth);
    for (int plane = 0; plane < 2; plane++) {
        const unsigned char *from = plane == 0 ? in->u : in->v;
        unsigned char *to = plane == 0 ? out->u : out->v;
        for (int y = 0; y < in->height / 2; y++, to += out->chroma_stride) {
            if (in->chroma == chroma_gray)
                memset(to, 128, (size_t)(in->width / 2));
            else if (in->chroma == chroma_420)
                reduce_row<bytes, 1, 1>(from + y * in->chroma_stride, 0, to, in->width / 2,
                                        in->bit_depth);
            else if (in->chroma == chroma_422)  // rows 2y and 2y + 1
                reduce_row<bytes, 1, 2>(from + 2 * y * in->chroma_stride, in->chroma_stride, to,
                                        in->width / 2, in->bit_depth);
            else
                reduce_row<bytes, 2, 2>(from + 2 * y * in->chroma_stride, in->chroma_stride, to,
                                        in->width / 2, in->bit_depth);
        }
    }
}

void reduce_for_display(const YuvFrame *picture, YuvFrame *out)
{
    static const SampleSizes<void (*)(const YuvFrame *, YuvFrame *)> reductions = {
        reduce_planes<1>, reduce_planes<2>};
    kernel_for(reductions, *picture)(picture, out);
}
