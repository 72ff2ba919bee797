#include "expected_pictures.h"

#include "color_tables.h"
#include "renderers.h"
#include "settings.h"
#include "test_files.h"

static const size_t render_buffer_bytes = 811016;
static int bytes_per_pixel = 4;

int prepare_tables(Display *dpy, int width, int height)
{
    Visual *visual = DefaultVisual(dpy, DefaultScreen(dpy));
    int depth = DefaultDepth(dpy, DefaultScreen(dpy));
    wpixel[0] = visual->red_mask;
    wpixel[1] = visual->green_mask;
    wpixel[2] = visual->blue_mask;
    InitColorDither(depth != 16);
    horizontal_size = coded_picture_width = width;
    vertical_size = coded_picture_height = height;
    bytes_per_pixel = depth == 16 ? 2 : 4;
    return bytes_per_pixel;
}

static YuvFrame planes_of(std::vector<uint8_t> &yuv, int width, int height)
{
    YuvFrame frame;
    frame.y = yuv.data();
    frame.u = frame.y + width * height;
    frame.v = frame.u + (width / 2) * (height / 2);
    return frame;
}

Capture expected_picture(int sequence, int frame, int width, int height, uint32_t colour_bits)
{
    std::vector<uint8_t> yuv = make_test_frame(width, height, sequence, frame);
    YuvFrame picture = planes_of(yuv, width, height);
    std::vector<unsigned char> out(render_buffer_bytes);
    if (bytes_per_pixel == 2)
        Color16DitherImage(&picture, out.data());
    else
        Color32DitherImage(&picture, out.data());
    return capture_from_buffer(out.data(), bytes_per_pixel, width, height, colour_bits);
}

Capture expected_difference(int seq_a, int frame_a, int seq_b, int frame_b, int width, int height,
                            uint32_t colour_bits)
{
    std::vector<uint8_t> a = make_test_frame(width, height, seq_a, frame_a);
    std::vector<uint8_t> b = make_test_frame(width, height, seq_b, frame_b);
    // Difference pictures carry the luma difference and a constant chroma of 124.
    std::vector<uint8_t> yuv(a.size(), 124);
    for (int i = 0; i < width * height; ++i)
        yuv[i] = static_cast<uint8_t>(a[i] - b[i]);
    YuvFrame picture = planes_of(yuv, width, height);
    std::vector<unsigned char> out(render_buffer_bytes);
    if (bytes_per_pixel == 2)
        DitherImageToGray16(&picture, out.data());
    else
        DitherImageToGray32(&picture, out.data());
    return capture_from_buffer(out.data(), bytes_per_pixel, width, height, colour_bits);
}
