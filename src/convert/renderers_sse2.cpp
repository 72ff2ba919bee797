// SSE2 renderers: 8 blocks (16 pixels of each row of a row pair) per step. The chroma
// offsets are computed in 16-bit lanes, the channel levels formed with saturating byte
// arithmetic (which is the clamping the tables do) and placed with shifts.
#include <emmintrin.h>

#include "render_kernels.h"
#include "render_shifts_simd.h"

namespace {

const int blocks_per_step = 8;

// Offsets of 8 blocks, split into the part to add and the part to subtract, each byte
// repeated for the two pixels of its block.
struct BlockOffsets {
    __m128i r_add, r_sub, g_add, g_sub, b_add, b_sub;
};

// floor(magnitude x factor) for magnitudes 0..128.
inline __m128i times_factor(__m128i magnitude, int whole, int fraction)
{
    __m128i part = _mm_mulhi_epu16(magnitude, _mm_set1_epi16((short)fraction));
    return whole ? _mm_add_epi16(magnitude, part) : part;
}

// Applies the sign of k (all ones when negative) to a magnitude.
inline __m128i with_sign(__m128i magnitude, __m128i sign)
{
    return _mm_sub_epi16(_mm_xor_si128(magnitude, sign), sign);
}

// u and v: 8 chroma samples in 16-bit lanes. Truncation toward zero is the magnitude
// rounded down with the sign put back.
inline void chroma_offsets16(__m128i u, __m128i v, __m128i *r, __m128i *g, __m128i *b)
{
    const __m128i centre = _mm_set1_epi16(128);
    __m128i ku = _mm_sub_epi16(u, centre);
    __m128i kv = _mm_sub_epi16(v, centre);
    __m128i su = _mm_srai_epi16(ku, 15);
    __m128i sv = _mm_srai_epi16(kv, 15);
    __m128i au = with_sign(ku, su);
    __m128i av = with_sign(kv, sv);
    *r = with_sign(times_factor(av, cr_red_whole, cr_red_fraction), sv);
    *b = with_sign(times_factor(au, cb_blue_whole, cb_blue_fraction), su);
    // Both green factors are negative.
    __m128i green_v = with_sign(times_factor(av, 0, cr_green_fraction), sv);
    __m128i green_u = with_sign(times_factor(au, 0, cb_green_fraction), su);
    *g = _mm_sub_epi16(_mm_setzero_si128(), _mm_add_epi16(green_v, green_u));
}

inline void split_offset(__m128i offset, __m128i *add, __m128i *sub)
{
    const __m128i zero = _mm_setzero_si128();
    __m128i up = _mm_packus_epi16(_mm_max_epi16(offset, zero), zero);
    __m128i down = _mm_packus_epi16(_mm_max_epi16(_mm_sub_epi16(zero, offset), zero), zero);
    *add = _mm_unpacklo_epi8(up, up);
    *sub = _mm_unpacklo_epi8(down, down);
}

// The lanes are in sample order for either pixel width.
template <int pixel_bits>
inline BlockOffsets block_offsets(const uint8_t *u, const uint8_t *v)
{
    const __m128i zero = _mm_setzero_si128();
    __m128i u16 = _mm_unpacklo_epi8(_mm_loadl_epi64((const __m128i *)u), zero);
    __m128i v16 = _mm_unpacklo_epi8(_mm_loadl_epi64((const __m128i *)v), zero);
    __m128i r, g, b;
    chroma_offsets16(u16, v16, &r, &g, &b);
    BlockOffsets offsets;
    split_offset(r, &offsets.r_add, &offsets.r_sub);
    split_offset(g, &offsets.g_add, &offsets.g_sub);
    split_offset(b, &offsets.b_add, &offsets.b_sub);
    return offsets;
}

inline __m128i level(__m128i luma, __m128i add, __m128i sub)
{
    return _mm_subs_epu8(_mm_adds_epu8(luma, add), sub);
}

inline __m128i place16(__m128i level16, const Shifts &s, int c)
{
    return _mm_sll_epi16(_mm_srl_epi16(level16, s.right[c]), s.left[c]);
}

inline __m128i place32(__m128i level32, const Shifts &s, int c)
{
    return _mm_sll_epi32(_mm_srl_epi32(level32, s.right[c]), s.left[c]);
}

// 16 pixels of one row at 16 bits.
inline void store_row16(const uint8_t *y, const BlockOffsets &o, const Shifts &s,
                        uint16_t *out)
{
    const __m128i zero = _mm_setzero_si128();
    __m128i luma = _mm_loadu_si128((const __m128i *)y);
    __m128i red = level(luma, o.r_add, o.r_sub);
    __m128i green = level(luma, o.g_add, o.g_sub);
    __m128i blue = level(luma, o.b_add, o.b_sub);
    __m128i low = _mm_or_si128(
        _mm_or_si128(place16(_mm_unpacklo_epi8(red, zero), s, 0),
                     place16(_mm_unpacklo_epi8(green, zero), s, 1)),
        place16(_mm_unpacklo_epi8(blue, zero), s, 2));
    __m128i high = _mm_or_si128(
        _mm_or_si128(place16(_mm_unpackhi_epi8(red, zero), s, 0),
                     place16(_mm_unpackhi_epi8(green, zero), s, 1)),
        place16(_mm_unpackhi_epi8(blue, zero), s, 2));
    _mm_storeu_si128((__m128i *)out, low);
    _mm_storeu_si128((__m128i *)(out + 8), high);
}

template <int channel>
inline __m128i pick(__m128i red, __m128i green, __m128i blue, __m128i zero)
{
    return channel == 0 ? red : channel == 1 ? green : channel == 2 ? blue : zero;
}

// 32-bit pixels whose channels are whole bytes: byte b of a pixel comes from channel Bb
// (0 red, 1 green, 2 blue, 3 none). A template, so the layout costs nothing per pixel.
template <int B0, int B1, int B2, int B3>
inline void store_row32_bytes(const uint8_t *y, const BlockOffsets &o, uint32_t *out)
{
    __m128i luma = _mm_loadu_si128((const __m128i *)y);
    const __m128i red = level(luma, o.r_add, o.r_sub);
    const __m128i green = level(luma, o.g_add, o.g_sub);
    const __m128i blue = level(luma, o.b_add, o.b_sub);
    const __m128i zero = _mm_setzero_si128();
    __m128i byte0 = pick<B0>(red, green, blue, zero), byte1 = pick<B1>(red, green, blue, zero);
    __m128i byte2 = pick<B2>(red, green, blue, zero), byte3 = pick<B3>(red, green, blue, zero);
    __m128i low01 = _mm_unpacklo_epi8(byte0, byte1);
    __m128i high01 = _mm_unpackhi_epi8(byte0, byte1);
    __m128i low23 = _mm_unpacklo_epi8(byte2, byte3);
    __m128i high23 = _mm_unpackhi_epi8(byte2, byte3);
    _mm_storeu_si128((__m128i *)out, _mm_unpacklo_epi16(low01, low23));
    _mm_storeu_si128((__m128i *)(out + 4), _mm_unpackhi_epi16(low01, low23));
    _mm_storeu_si128((__m128i *)(out + 8), _mm_unpacklo_epi16(high01, high23));
    _mm_storeu_si128((__m128i *)(out + 12), _mm_unpackhi_epi16(high01, high23));
}

// 16 pixels of one row at 32 bits, any layout the shifts reproduce.
inline void store_row32_shifts(const uint8_t *y, const BlockOffsets &o, const Shifts &s,
                               uint32_t *out)
{
    const __m128i zero = _mm_setzero_si128();
    __m128i luma = _mm_loadu_si128((const __m128i *)y);
    __m128i levels[3] = {level(luma, o.r_add, o.r_sub), level(luma, o.g_add, o.g_sub),
                         level(luma, o.b_add, o.b_sub)};
    __m128i pixels[4] = {zero, zero, zero, zero};
    for (int c = 0; c < 3; c++) {
        __m128i low = _mm_unpacklo_epi8(levels[c], zero);
        __m128i high = _mm_unpackhi_epi8(levels[c], zero);
        pixels[0] = _mm_or_si128(pixels[0], place32(_mm_unpacklo_epi16(low, zero), s, c));
        pixels[1] = _mm_or_si128(pixels[1], place32(_mm_unpackhi_epi16(low, zero), s, c));
        pixels[2] = _mm_or_si128(pixels[2], place32(_mm_unpacklo_epi16(high, zero), s, c));
        pixels[3] = _mm_or_si128(pixels[3], place32(_mm_unpackhi_epi16(high, zero), s, c));
    }
    for (int i = 0; i < 4; i++)
        _mm_storeu_si128((__m128i *)(out + 4 * i), pixels[i]);
}

// The same offset d on all three channels, split for saturating arithmetic.
BlockOffsets uniform_offsets(int d)
{
    const __m128i add = _mm_set1_epi8((char)(d > 0 ? d : 0));
    const __m128i sub = _mm_set1_epi8((char)(d < 0 ? -d : 0));
    return BlockOffsets{add, sub, add, sub, add, sub};
}

void chroma_offsets_SSE2(const uint8_t *u, const uint8_t *v, int16_t *r, int16_t *g,
                         int16_t *b)
{
    const __m128i zero = _mm_setzero_si128();
    for (int half = 0; half < 16; half += 8) {
        __m128i u16 = _mm_unpacklo_epi8(_mm_loadl_epi64((const __m128i *)(u + half)), zero);
        __m128i v16 = _mm_unpacklo_epi8(_mm_loadl_epi64((const __m128i *)(v + half)), zero);
        __m128i red, green, blue;
        chroma_offsets16(u16, v16, &red, &green, &blue);
        _mm_storeu_si128((__m128i *)(r + half), red);
        _mm_storeu_si128((__m128i *)(g + half), green);
        _mm_storeu_si128((__m128i *)(b + half), blue);
    }
}

}  // namespace

#include "render_rows_simd.h"

const RenderVariant render_variant_SSE2 = {
    "SSE2",
    {color16_fast, color32_fast, gray16_fast, gray32_fast},
    chroma_offsets_SSE2,
};
