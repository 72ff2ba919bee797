// SSE2 renderers: 8 blocks (16 pixels of each row of a row pair) per step. The chroma
// offsets are computed in 16-bit lanes, the channel levels formed with saturating byte
// arithmetic (which is the clamping the tables do) and placed with shifts.
#include <emmintrin.h>

#include "render_kernels.h"
#include "renderers.h"
#include "settings.h"

namespace {

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

struct Shifts {
    __m128i right[3];
    __m128i left[3];
};

Shifts layout_shifts()
{
    Shifts shifts;
    for (int c = 0; c < 3; c++) {
        shifts.right[c] = _mm_cvtsi32_si128(fast_layout.channel[c].right);
        shifts.left[c] = _mm_cvtsi32_si128(fast_layout.channel[c].left);
    }
    return shifts;
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

void Color16DitherImage_SSE2(const YuvFrame *picture, unsigned char *out)
{
    if (!fast_layout.shifts_match16) {
        Color16DitherImage_C(picture, out);
        return;
    }
    const int half = coded_picture_width / 2;
    const int fast_blocks = half - half % 8;
    const Shifts shifts = layout_shifts();
    const uint8_t *y = picture->y, *u = picture->u, *v = picture->v;
    uint16_t *pixels = (uint16_t *)out;
    for (int row = 0; row + 1 < coded_picture_height; row += 2) {
        for (int x = 0; x < fast_blocks; x += 8) {
            BlockOffsets offsets = block_offsets(u + x, v + x);
            store_row16(y + 2 * x, offsets, shifts, pixels + 2 * x);
            store_row16(y + 2 * half + 2 * x, offsets, shifts, pixels + 2 * half + 2 * x);
        }
        color_blocks16_C(y + 2 * fast_blocks, y + 2 * half + 2 * fast_blocks, u + fast_blocks,
                         v + fast_blocks, pixels + 2 * fast_blocks,
                         pixels + 2 * half + 2 * fast_blocks, half - fast_blocks);
        y += 4 * half;
        pixels += 4 * half;
        u += half;
        v += half;
    }
}

// Rows of 32-bit pixels, stored either as whole bytes or through the shifts.
template <int B0, int B1, int B2, int B3>
struct Bytes {
    static void row(const uint8_t *y, const BlockOffsets &o, const Shifts &, uint32_t *out)
    {
        store_row32_bytes<B0, B1, B2, B3>(y, o, out);
    }
};

struct Shifted {
    static void row(const uint8_t *y, const BlockOffsets &o, const Shifts &s, uint32_t *out)
    {
        store_row32_shifts(y, o, s, out);
    }
};

template <typename Store>
void color32_rows(const YuvFrame *picture, unsigned char *out)
{
    const int half = coded_picture_width / 2;
    const int fast_blocks = half - half % 8;
    const Shifts shifts = layout_shifts();
    const uint8_t *y = picture->y, *u = picture->u, *v = picture->v;
    uint32_t *pixels = (uint32_t *)out;
    for (int row = 0; row + 1 < coded_picture_height; row += 2) {
        for (int x = 0; x < fast_blocks; x += 8) {
            BlockOffsets offsets = block_offsets(u + x, v + x);
            Store::row(y + 2 * x, offsets, shifts, pixels + 2 * x);
            Store::row(y + 2 * half + 2 * x, offsets, shifts, pixels + 2 * half + 2 * x);
        }
        color_blocks32_C(y + 2 * fast_blocks, y + 2 * half + 2 * fast_blocks, u + fast_blocks,
                         v + fast_blocks, pixels + 2 * fast_blocks,
                         pixels + 2 * half + 2 * fast_blocks, half - fast_blocks);
        y += 4 * half;
        pixels += 4 * half;
        u += half;
        v += half;
    }
}

void Color32DitherImage_SSE2(const YuvFrame *picture, unsigned char *out)
{
    if (!fast_layout.shifts_match32) {
        Color32DitherImage_C(picture, out);
        return;
    }
    switch (fast_layout.byte_order32) {
    case byte_order_xrgb: color32_rows<Bytes<2, 1, 0, 3>>(picture, out); break;
    case byte_order_xbgr: color32_rows<Bytes<0, 1, 2, 3>>(picture, out); break;
    case byte_order_rgbx: color32_rows<Bytes<3, 2, 1, 0>>(picture, out); break;
    case byte_order_bgrx: color32_rows<Bytes<3, 0, 1, 2>>(picture, out); break;
    default: color32_rows<Shifted>(picture, out); break;
    }
}

// The same offset d on all three channels, split for saturating arithmetic.
BlockOffsets uniform_offsets(int d)
{
    const __m128i add = _mm_set1_epi8((char)(d > 0 ? d : 0));
    const __m128i sub = _mm_set1_epi8((char)(d < 0 ? -d : 0));
    return BlockOffsets{add, sub, add, sub, add, sub};
}

// Gray pixels of constant chroma with a single level offset: the colour rows with that
// offset on every channel, over the picture as one long row (chroma plays no part).
template <typename Pixel, typename Store>
void gray_rows(const YuvFrame *picture, unsigned char *out, int d)
{
    const long count = (long)coded_picture_width * (coded_picture_height & ~1);
    const long fast_count = count - count % 16;
    const BlockOffsets offsets = uniform_offsets(d);
    const Shifts shifts = layout_shifts();
    Pixel *pixels = (Pixel *)out;
    for (long i = 0; i < fast_count; i += 16)
        Store::row(picture->y + i, offsets, shifts, pixels + i);
    if (sizeof(Pixel) == 2)
        gray_by_table16(picture, out, fast_count);
    else
        gray_by_table32(picture, out, fast_count);
}

struct Rows16 {
    static void row(const uint8_t *y, const BlockOffsets &o, const Shifts &s, uint16_t *out)
    {
        store_row16(y, o, s, out);
    }
};

// Gray pictures: with constant chroma (difference pictures) a shifted luma or a table
// lookup a pixel; anything else through the reference.
void DitherImageToGray16_SSE2(const YuvFrame *picture, unsigned char *out)
{
    if (!chroma_is_constant(picture)) {
        DitherImageToGray16_C(picture, out);
        return;
    }
    int d;
    if (fast_layout.shifts_match16 &&
        gray_offset_for_chroma(picture->u[0], picture->v[0], fadetogray16, &d))
        gray_rows<uint16_t, Rows16>(picture, out, d);
    else
        gray_by_table16(picture, out, 0);
}

void DitherImageToGray32_SSE2(const YuvFrame *picture, unsigned char *out)
{
    if (!chroma_is_constant(picture)) {
        DitherImageToGray32_C(picture, out);
        return;
    }
    int d;
    if (!fast_layout.shifts_match32 ||
        !gray_offset_for_chroma(picture->u[0], picture->v[0], fadetogray32, &d)) {
        gray_by_table32(picture, out, 0);
        return;
    }
    switch (fast_layout.byte_order32) {
    case byte_order_xrgb: gray_rows<uint32_t, Bytes<2, 1, 0, 3>>(picture, out, d); break;
    case byte_order_xbgr: gray_rows<uint32_t, Bytes<0, 1, 2, 3>>(picture, out, d); break;
    case byte_order_rgbx: gray_rows<uint32_t, Bytes<3, 2, 1, 0>>(picture, out, d); break;
    case byte_order_bgrx: gray_rows<uint32_t, Bytes<3, 0, 1, 2>>(picture, out, d); break;
    default: gray_rows<uint32_t, Shifted>(picture, out, d); break;
    }
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

const RenderVariant render_variant_SSE2 = {
    "SSE2",
    {Color16DitherImage_SSE2, Color32DitherImage_SSE2, DitherImageToGray16_SSE2,
     DitherImageToGray32_SSE2},
    chroma_offsets_SSE2,
};
