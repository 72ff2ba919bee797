// AVX2 renderers: 16 blocks (32 pixels of each row of a row pair) per step, the same
// arithmetic as the SSE2 ones in twice the width. AVX2 unpacks work within 128-bit
// halves, so samples are first permuted such that the unpacks leave pixels in order.
#include <immintrin.h>

#include "render_kernels.h"
#include "render_shifts_simd.h"

namespace {

const int blocks_per_step = 16;

struct BlockOffsets {
    __m256i r_add, r_sub, g_add, g_sub, b_add, b_sub;
};

inline __m256i times_factor(__m256i magnitude, int whole, int fraction)
{
    __m256i part = _mm256_mulhi_epu16(magnitude, _mm256_set1_epi16((short)fraction));
    return whole ? _mm256_add_epi16(magnitude, part) : part;
}

inline __m256i with_sign(__m256i magnitude, __m256i sign)
{
    return _mm256_sub_epi16(_mm256_xor_si256(magnitude, sign), sign);
}

inline void chroma_offsets16(__m256i u, __m256i v, __m256i *r, __m256i *g, __m256i *b)
{
    const __m256i centre = _mm256_set1_epi16(128);
    __m256i ku = _mm256_sub_epi16(u, centre);
    __m256i kv = _mm256_sub_epi16(v, centre);
    __m256i su = _mm256_srai_epi16(ku, 15);
    __m256i sv = _mm256_srai_epi16(kv, 15);
    __m256i au = with_sign(ku, su);
    __m256i av = with_sign(kv, sv);
    *r = with_sign(times_factor(av, cr_red_whole, cr_red_fraction), sv);
    *b = with_sign(times_factor(au, cb_blue_whole, cb_blue_fraction), su);
    __m256i green_v = with_sign(times_factor(av, 0, cr_green_fraction), sv);
    __m256i green_u = with_sign(times_factor(au, 0, cb_green_fraction), su);
    *g = _mm256_sub_epi16(_mm256_setzero_si256(), _mm256_add_epi16(green_v, green_u));
}

inline void split_offset(__m256i offset, __m256i *add, __m256i *sub)
{
    const __m256i zero = _mm256_setzero_si256();
    __m256i up = _mm256_packus_epi16(_mm256_max_epi16(offset, zero), zero);
    __m256i down =
        _mm256_packus_epi16(_mm256_max_epi16(_mm256_sub_epi16(zero, offset), zero), zero);
    *add = _mm256_unpacklo_epi8(up, up);
    *sub = _mm256_unpacklo_epi8(down, down);
}

// Sample order for 32-bit pixels: 4-byte groups 0, 2, 4, 6 | 1, 3, 5, 7. Two levels of
// in-half unpacks then yield pixels 0-7, 8-15, 16-23, 24-31.
inline __m256i order_for32(__m256i x)
{
    return _mm256_permutevar8x32_epi32(x, _mm256_setr_epi32(0, 2, 4, 6, 1, 3, 5, 7));
}

// Sample order for 16-bit pixels: 8-byte groups 0, 2 | 1, 3. One level of unpacks then
// yields pixels 0-15 and 16-31.
inline __m256i order_for16(__m256i x)
{
    return _mm256_permute4x64_epi64(x, 0xD8);
}

template <int pixel_bits>
inline __m256i in_order(__m256i x)
{
    return pixel_bits == 32 ? order_for32(x) : order_for16(x);
}

template <int pixel_bits>
inline BlockOffsets block_offsets(const uint8_t *u, const uint8_t *v)
{
    __m256i u16 = _mm256_cvtepu8_epi16(_mm_loadu_si128((const __m128i *)u));
    __m256i v16 = _mm256_cvtepu8_epi16(_mm_loadu_si128((const __m128i *)v));
    // The 16-bit chroma lanes become pairs of output bytes: permuting them as 32-bit
    // groups here gives the offsets the order of the permuted luma bytes.
    __m256i r, g, b;
    chroma_offsets16(in_order<pixel_bits>(u16), in_order<pixel_bits>(v16), &r, &g, &b);
    BlockOffsets offsets;
    split_offset(r, &offsets.r_add, &offsets.r_sub);
    split_offset(g, &offsets.g_add, &offsets.g_sub);
    split_offset(b, &offsets.b_add, &offsets.b_sub);
    return offsets;
}

inline __m256i level(__m256i luma, __m256i add, __m256i sub)
{
    return _mm256_subs_epu8(_mm256_adds_epu8(luma, add), sub);
}

inline __m256i place16(__m256i level16, const Shifts &s, int c)
{
    return _mm256_sll_epi16(_mm256_srl_epi16(level16, s.right[c]), s.left[c]);
}

inline __m256i place32(__m256i level32, const Shifts &s, int c)
{
    return _mm256_sll_epi32(_mm256_srl_epi32(level32, s.right[c]), s.left[c]);
}

inline void store_row16(const uint8_t *y, const BlockOffsets &o, const Shifts &s,
                        uint16_t *out)
{
    const __m256i zero = _mm256_setzero_si256();
    __m256i luma = order_for16(_mm256_loadu_si256((const __m256i *)y));
    __m256i red = level(luma, o.r_add, o.r_sub);
    __m256i green = level(luma, o.g_add, o.g_sub);
    __m256i blue = level(luma, o.b_add, o.b_sub);
    __m256i low = _mm256_or_si256(
        _mm256_or_si256(place16(_mm256_unpacklo_epi8(red, zero), s, 0),
                        place16(_mm256_unpacklo_epi8(green, zero), s, 1)),
        place16(_mm256_unpacklo_epi8(blue, zero), s, 2));
    __m256i high = _mm256_or_si256(
        _mm256_or_si256(place16(_mm256_unpackhi_epi8(red, zero), s, 0),
                        place16(_mm256_unpackhi_epi8(green, zero), s, 1)),
        place16(_mm256_unpackhi_epi8(blue, zero), s, 2));
    _mm256_storeu_si256((__m256i *)out, low);
    _mm256_storeu_si256((__m256i *)(out + 16), high);
}

template <int channel>
inline __m256i pick(__m256i red, __m256i green, __m256i blue, __m256i zero)
{
    return channel == 0 ? red : channel == 1 ? green : channel == 2 ? blue : zero;
}

// 32-bit pixels whose channels are whole bytes: byte b of a pixel comes from channel Bb
// (0 red, 1 green, 2 blue, 3 none). A template, so the layout costs nothing per pixel.
template <int B0, int B1, int B2, int B3>
inline void store_row32_bytes(const uint8_t *y, const BlockOffsets &o, uint32_t *out)
{
    __m256i luma = order_for32(_mm256_loadu_si256((const __m256i *)y));
    const __m256i red = level(luma, o.r_add, o.r_sub);
    const __m256i green = level(luma, o.g_add, o.g_sub);
    const __m256i blue = level(luma, o.b_add, o.b_sub);
    const __m256i zero = _mm256_setzero_si256();
    __m256i byte0 = pick<B0>(red, green, blue, zero), byte1 = pick<B1>(red, green, blue, zero);
    __m256i byte2 = pick<B2>(red, green, blue, zero), byte3 = pick<B3>(red, green, blue, zero);
    __m256i low01 = _mm256_unpacklo_epi8(byte0, byte1);
    __m256i high01 = _mm256_unpackhi_epi8(byte0, byte1);
    __m256i low23 = _mm256_unpacklo_epi8(byte2, byte3);
    __m256i high23 = _mm256_unpackhi_epi8(byte2, byte3);
    _mm256_storeu_si256((__m256i *)out, _mm256_unpacklo_epi16(low01, low23));
    _mm256_storeu_si256((__m256i *)(out + 8), _mm256_unpackhi_epi16(low01, low23));
    _mm256_storeu_si256((__m256i *)(out + 16), _mm256_unpacklo_epi16(high01, high23));
    _mm256_storeu_si256((__m256i *)(out + 24), _mm256_unpackhi_epi16(high01, high23));
}

inline void store_row32_shifts(const uint8_t *y, const BlockOffsets &o, const Shifts &s,
                               uint32_t *out)
{
    const __m256i zero = _mm256_setzero_si256();
    __m256i luma = order_for32(_mm256_loadu_si256((const __m256i *)y));
    __m256i levels[3] = {level(luma, o.r_add, o.r_sub), level(luma, o.g_add, o.g_sub),
                         level(luma, o.b_add, o.b_sub)};
    __m256i pixels[4] = {zero, zero, zero, zero};
    for (int c = 0; c < 3; c++) {
        __m256i low = _mm256_unpacklo_epi8(levels[c], zero);
        __m256i high = _mm256_unpackhi_epi8(levels[c], zero);
        pixels[0] = _mm256_or_si256(pixels[0], place32(_mm256_unpacklo_epi16(low, zero), s, c));
        pixels[1] = _mm256_or_si256(pixels[1], place32(_mm256_unpackhi_epi16(low, zero), s, c));
        pixels[2] = _mm256_or_si256(pixels[2], place32(_mm256_unpacklo_epi16(high, zero), s, c));
        pixels[3] = _mm256_or_si256(pixels[3], place32(_mm256_unpackhi_epi16(high, zero), s, c));
    }
    for (int i = 0; i < 4; i++)
        _mm256_storeu_si256((__m256i *)(out + 8 * i), pixels[i]);
}

// The same offset d on all three channels, split for saturating arithmetic.
BlockOffsets uniform_offsets(int d)
{
    const __m256i add = _mm256_set1_epi8((char)(d > 0 ? d : 0));
    const __m256i sub = _mm256_set1_epi8((char)(d < 0 ? -d : 0));
    return BlockOffsets{add, sub, add, sub, add, sub};
}

void chroma_offsets_AVX2(const uint8_t *u, const uint8_t *v, int16_t *r, int16_t *g,
                         int16_t *b)
{
    __m256i u16 = _mm256_cvtepu8_epi16(_mm_loadu_si128((const __m128i *)u));
    __m256i v16 = _mm256_cvtepu8_epi16(_mm_loadu_si128((const __m128i *)v));
    __m256i red, green, blue;
    chroma_offsets16(u16, v16, &red, &green, &blue);
    _mm256_storeu_si256((__m256i *)r, red);
    _mm256_storeu_si256((__m256i *)g, green);
    _mm256_storeu_si256((__m256i *)b, blue);
}

}  // namespace

#include "render_rows_simd.h"

const RenderVariant render_variant_AVX2 = {
    "AVX2",
    {color16_fast, color32_fast, gray16_fast, gray32_fast},
    chroma_offsets_AVX2,
};
