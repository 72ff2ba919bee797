// The viewer's start-up once the source layer has settled the run: the buffers the panes
// are rendered into and the frame period.
#pragma once

#include <cstdint>

#include "common/yuv_frame.h"

struct ViewerBuffers {
    // What the viewer reduces a picture of another format than 8-bit 4:2:0 into for the
    // renderers; allocated with the buffers, only for such formats.
    YuvFrame display_picture;
    // A picture zoomed out before it is rendered; allocated with the buffers, for the zoom
    // already chosen, when that zoom is out.
    YuvFrame zoom_picture;
    int64_t render_buffer_size;  // bytes of each rendered buffer: the shown size
};
extern ViewerBuffers viewer_buffers;

// Zoomed in, a shown picture may be no larger than the largest picture: ends the run
// otherwise. Checked before the display opens.
void refuse_oversized_zoom();

// Allocates every picture buffer once for the whole run, at the zoom already settled: each
// sequence's picture (of the run's sample format) and each pair's difference picture (8-bit
// 4:2:0), and every pane's rendered buffer.
void allocate_buffers();

// After a change of zoom or pane size: zoom_picture for the new zoom, and rendered buffers of
// at least `rendered_bytes` each.
void resize_buffers(int64_t rendered_bytes);

// frame_period from -fps, or from the first file's YUV4MPEG2 rate when -fps was not
// given; frame = start_frame.
void set_frame_period();
