// Pictures into their panes' buffers: reduced, zoomed and rendered, differences in their view.
#include "pane_render.h"

#include <cstdint>
#include <cstdlib>

#include "startup.h"
#include "stream_overlay.h"
#include "common/die.h"
#include "common/picture_memory.h"
#include "common/pixel_format.h"
#include "common/pairs.h"
#include "common/panes.h"
#include "common/settings.h"
#include "convert/difference_view.h"
#include "convert/plane_view.h"
#include "convert/reduce.h"
#include "convert/renderers.h"
#include "convert/convert_kernels.h"
#include "display/layout.h"
#include "display/look.h"
#include "display/viewport.h"
#include "quality/difference.h"
#include "quality/difference_pictures.h"
#include "quality/quality_kernels.h"
#include "source/sequence.h"

// The levels of a difference view at the picture size, over the chroma of a difference
// picture; allocated when a view is first asked for.
static YuvFrame view_levels;
static unsigned char *view_levels_plane;
// What the level and pixel tables were last built for.
static DifferenceView built_view = view_plain;
static int built_gain = 0;
static uint8_t levels_table[view_level_count];

// With U or V shown alone: each sequence's plane spread over its luma grid, in the run's
// format, and each pair's difference picture of them; allocated when first asked for.
static YuvFrame plane_pictures[4];
static YuvFrame plane_differences[4];

static bool chroma_shown_alone()
{
    return look.plane == plane_view_u || look.plane == plane_view_v;
}

// The picture of sequence n that its pane shows and its pairs compare.
static const YuvFrame *shown_picture(int n)
{
    return chroma_shown_alone() ? &plane_pictures[n] : picture_of(n);
}

static void allocate_plane_pictures()
{
    const YuvFrame &picture = *picture_of(1);
    for (int n = 1; n <= settings.expand; n++)
        plane_pictures[n] = allocate_picture("plane_picture", 128, settings.pixel_format,
                                             picture.width, picture.height);
    for (int pair = 1; pair <= pair_count_for(settings.expand); pair++)
        plane_differences[pair] = allocate_picture("plane_difference", 124, default_pixel_format,
                                                   picture.width, picture.height);
}

// The plane shown of sequence n into its plane picture.
static void spread_plane(int n)
{
    YuvFrame &spread = plane_pictures[n];
    spread_chroma_plane_C(picture_of(n), look.plane == plane_view_u ? 1 : 2, spread.y,
                          spread.luma_stride);
}

// The difference picture of pair 1..3 in the plane shown: the one its measurement filled,
// or that of the spread planes.
static const YuvFrame *shown_difference(int pair)
{
    if (!chroma_shown_alone())
        return difference_of(pair);
    const YuvFrame &first = plane_pictures[pairs[pair].first];
    const YuvFrame &second = plane_pictures[pairs[pair].second];
    YuvFrame &difference = plane_differences[pair];
    kernel_for(quality_kernels.difference, first)(
        first.y, first.luma_stride, second.y, second.luma_stride, difference.y,
        difference.luma_stride, first.width, first.height, largest_sample_value(first));
    return &difference;
}

// The picture zoomed out into zoom_picture's planes, the whole picture, described by `out`.
// A difference pane keeps the largest error of each block, which needs the pair's two
// pictures; a picture of another format than 8-bit 4:2:0 has its difference averaged.
static void zoom_out_into(const YuvFrame *picture, int pane, YuvFrame *out)
{
    *out = viewer_buffers.zoom_picture;
    out->width = picture_shown_width();
    out->height = picture_shown_height();
    const Pane &shown = panes[pane];
    const YuvFrame *first = nullptr, *second = nullptr;
    if (shown.kind == pane_pair) {
        first = shown_picture(pairs[shown.source].first);
        second = shown_picture(pairs[shown.source].second);
    }
    if (first && first->bit_depth == 8 && first->chroma == chroma_420)
        convert_kernels.zoom.zoom_out_difference(first, second, picture, out, settings.zoom_out);
    else
        convert_kernels.zoom.zoom_out(picture, out, settings.zoom_out);
}

// Samples [x, x + width) of rows [y, y + height) of an 8-bit 4:2:0 picture, x and y even.
static YuvFrame part_of(const YuvFrame &picture, int x, int y, int width, int height)
{
    YuvFrame part = picture;
    part.y += y * picture.luma_stride + x;
    part.u += y / 2 * picture.chroma_stride + x / 2;
    part.v += y / 2 * picture.chroma_stride + x / 2;
    part.width = width;
    part.height = height;
    return part;
}

// What the view shows of the picture, zoomed, into the pane's buffer: rows of
// rendered_width() pixels.
static void render(const YuvFrame *picture, void (*renderer)(const YuvFrame *, unsigned char *,
                                                              ptrdiff_t), int pane)
{
    ptrdiff_t row = (ptrdiff_t)rendered_width() * rendered_pixel_bytes();
    unsigned char *rendered = panes[pane].rendered;
    YuvFrame zoomed;
    if (settings.zoom_out > 1) {
        zoom_out_into(picture, pane, &zoomed);
        picture = &zoomed;
    }
    ViewSpan across = view_span_x(), down = view_span_y();
    YuvFrame part = part_of(*picture, across.first, down.first, across.count, down.count);
    // Rendered on every zoom_in-th row, then widened in place.
    renderer(&part, rendered, row * settings.zoom_in);
    if (settings.zoom_in > 1)
        convert_kernels.zoom.zoom_in(rendered, part.width, part.height, rendered_pixel_bytes(), row, settings.zoom_in);
}

void render_shown_panes()
{
    for (int pane = 1; pane <= pane_count; pane++) {
        if (!pane_shown(pane))
            continue;
        if (panes[pane].kind == pane_sequence)
            render_sequence_pane(panes[pane].source);
        else
            render_pair_pane(panes[pane].source);
    }
}

// The picture in the form the renderers take: 8-bit 4:2:0.
static const YuvFrame *displayable(const YuvFrame *picture)
{
    if (picture->bit_depth == 8 && picture->chroma == chroma_420)
        return picture;
    reduce_for_display(picture, &viewer_buffers.display_picture);  // rendered before the next one comes
    return &viewer_buffers.display_picture;
}

void render_sequence_pane(int n)
{
    if (look.plane == plane_view_colour) {
        render(displayable(picture_of(n)), render_colour, pane_of_sequence(n));
    } else {
        if (chroma_shown_alone())
            spread_plane(n);
        render(displayable(shown_picture(n)), render_gray_levels, pane_of_sequence(n));
    }
    overlay_stream_facts(n);
}

// The pair's levels in the current view, its tables brought up to date first.
static const YuvFrame *levels_of(int pair)
{
    const YuvFrame *difference = difference_of(pair);
    if (!view_levels_plane) {
        size_t bytes = (size_t)difference->width * (size_t)difference->height;
        view_levels_plane = (unsigned char *)malloc(bytes);
        if (!view_levels_plane)
            die(1, "Out of memory: could not allocate %lld bytes for %s\n", (long long)bytes,
                "view_levels");
    }
    view_levels = packed_420_frame(view_levels_plane, difference->u, difference->v,
                                   difference->width, difference->height);
    if (built_view != look.difference_view || built_gain != view_gain()) {
        built_view = look.difference_view;
        built_gain = view_gain();
        build_view_levels(built_view, built_gain, levels_table);
        set_view_pixels(built_view);
    }
    difference_view_levels_C(shown_picture(pairs[pair].first), shown_picture(pairs[pair].second),
                             levels_table, view_levels.y, view_levels.luma_stride);
    return &view_levels;
}

void render_pair_pane(int pair)
{
    int pane = pane_of_pair(pair);
    if (look.difference_view == view_plain)
        render(shown_difference(pair), render_gray, pane);
    else
        render(levels_of(pair), render_view, pane);
}

bool choose_plane(PlaneView plane)
{
    if (plane != plane_view_colour && plane != plane_view_y && !picture_of(1)->u)
        return false;  // gray pictures have no chroma planes
    if (look.plane == plane_view_colour)
        build_gray_level_pixels();  // the tables are built by now
    if (plane != plane_view_colour && plane != plane_view_y && !plane_pictures[1].y)
        allocate_plane_pictures();
    look.plane = plane;
    return true;
}
