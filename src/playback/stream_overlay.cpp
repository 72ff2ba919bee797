#include "stream_overlay.h"

#include "common/panes.h"
#include "common/region.h"
#include "common/settings.h"
#include "convert/difference_view.h"
#include "convert/overlay_drawing.h"
#include "convert/renderers.h"
#include "display/look.h"
#include "display/viewport.h"
#include "source/sequence.h"

// QP 0 is the heat map's darkest level, 51 (the largest of H.264) and above its brightest.
static const int level_per_qp = 5;

// The overlay's colours for the visual shown, taken once the tables are built.
static struct {
    bool taken;
    uint32_t heat[256];
    uint32_t motion;  // white
} overlay_pixels;

// Where a sample of the whole picture, across or down, lies in the rendered pane: the
// region's offset off, zoomed, less the samples before the view's span.
static int rendered_at(int sample, int region_offset, const ViewSpan &span)
{
    int shown = sample - region_offset;
    if (settings.zoom_out > 1)  // rounded down also left of the region
        shown = shown >= 0 ? shown / settings.zoom_out : -((settings.zoom_out - 1 - shown) / settings.zoom_out);
    return (shown - span.first) * settings.zoom_in;
}

static uint32_t heat_of(int qp)
{
    int level = qp * level_per_qp;
    return overlay_pixels.heat[level < 0 ? 0 : level > 255 ? 255 : level];
}

void overlay_stream_facts(int n)
{
    const FrameFacts &facts = sequences[n].facts;
    if (!look.overlay_shown || !facts.known || (n == 1 && look.ab_view != ab_own))
        return;
    if (!overlay_pixels.taken) {
        uint32_t gray[256];
        build_view_pixels(view_heat, overlay_pixels.heat);
        build_view_pixels(view_centred, gray);
        overlay_pixels.motion = gray[255];
        overlay_pixels.taken = true;
    }
    int pixel_bytes = rendered_pixel_bytes();
    RenderedPane pane = {panes[pane_of_sequence(n)].rendered,
                         (ptrdiff_t)rendered_width() * pixel_bytes, pixel_bytes,
                         rendered_width(), rendered_height()};
    ViewSpan across = view_span_x(), down = view_span_y();
    const PictureRegion &region = settings.cropping.region;
    auto x_at = [&](int x) { return rendered_at(x, region.x, across); };
    auto y_at = [&](int y) { return rendered_at(y, region.y, down); };
    for (const BlockQp &b : facts.blocks)
        stipple_block(pane, x_at(b.x), y_at(b.y), x_at(b.x + b.width) - x_at(b.x),
                      y_at(b.y + b.height) - y_at(b.y), heat_of(b.qp));
    for (const MotionLine &m : facts.motion)
        draw_line(pane, x_at(m.from_x), y_at(m.from_y), x_at(m.to_x), y_at(m.to_y),
                  overlay_pixels.motion);
}
