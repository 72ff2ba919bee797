// The six panes: each picture at its place, each caption at its baseline, nothing else
// drawn, and no pixel copied on the way.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "display.h"
#include "harness.h"
#include "isolated.h"
#include "settings.h"
#include "shm_transfer.h"

static const int buffer_bytes = 811016;

struct Placement {
    int x, y;                   // picture origin
    const char *caption;
    int caption_x, caption_y;   // baseline
};

static const Placement qcif_panes[6] = {
    {0, 0, "Original", 5, 159},       {176, 0, "Encoded", 181, 159},
    {352, 0, "Transmitted", 357, 159}, {0, 174, "Org<->Enc", 5, 333},
    {176, 174, "Enc<->Tra", 181, 333}, {352, 174, "Org<->Tra", 357, 333},
};

static const Placement cif_panes[6] = {
    {0, 0, "Original", 5, 303},       {352, 0, "Encoded", 357, 303},
    {704, 0, "Transmitted", 709, 303}, {0, 318, "Org<->Enc", 5, 621},
    {352, 318, "Enc<->Tra", 357, 621}, {704, 318, "Org<->Tra", 709, 621},
};

static void use_picture_size(int width, int height)
{
    horizontal_size = coded_picture_width = width;
    vertical_size = coded_picture_height = height;
}

// A picture that differs from pane to pane and from pixel to pixel, in native pixels.
static std::vector<unsigned char> pane_picture(int pane, int width, int height, int bytes_per_pixel)
{
    std::vector<unsigned char> buffer(buffer_bytes, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint32_t value = (static_cast<uint32_t>(x * 7 + pane * 40) & 0xFF) << 16 |
                             (static_cast<uint32_t>(y * 5 + x) & 0xFF) << 8 |
                             (static_cast<uint32_t>(x * y + pane * 90) & 0xFF);
            size_t at = (static_cast<size_t>(y) * width + x) * bytes_per_pixel;
            if (bytes_per_pixel == 2) {
                uint16_t v16 = static_cast<uint16_t>(value ^ (value >> 8));
                std::memcpy(&buffer[at], &v16, 2);
            } else {
                std::memcpy(&buffer[at], &value, 4);
            }
        }
    return buffer;
}

// Draws in the child's own connection, with calls of the test's own, what the window
// must look like: gray, the six pictures at the given origins, the captions.
static Capture expected_window(const Placement *placements, int width, int height,
                               std::vector<std::vector<unsigned char>> &pictures, int window_width,
                               int window_height)
{
    int screen = DefaultScreen(display);
    Pixmap pixmap = XCreatePixmap(display, window, window_width, window_height, dpy_depth);
    GC fill = XCreateGC(display, pixmap, 0, nullptr);
    XSetForeground(display, fill, gray_col.pixel);
    XFillRectangle(display, pixmap, fill, 0, 0, window_width, window_height);
    GC text = XCreateGC(display, pixmap, 0, nullptr);
    XSetForeground(display, text, BlackPixel(display, screen));
    XSetBackground(display, text, gray_col.pixel);
    XImage *image = XCreateImage(display, DefaultVisual(display, screen), dpy_depth, ZPixmap, 0,
                                 nullptr, width, height, 8, 0);
    for (int i = 0; i < 6; ++i) {
        image->data = reinterpret_cast<char *>(pictures[i].data());
        XPutImage(display, pixmap, fill, image, 0, 0, placements[i].x, placements[i].y, width, height);
        XDrawImageString(display, pixmap, text, placements[i].caption_x, placements[i].caption_y,
                         placements[i].caption, static_cast<int>(strlen(placements[i].caption)));
    }
    image->data = nullptr;
    XDestroyImage(image);
    Capture expected = capture_region(display, pixmap, 0, 0, window_width, window_height);
    XFreePixmap(display, pixmap);
    return expected;
}

static void check_all_panes(int depth, int width, int height, const Placement *placements,
                            int through_shared_memory = 0)
{
    XvfbServer server(depth);
    int status = run_isolated([&] {
        int saved = redirect_stdout("/dev/null");
        use_picture_size(width, height);
        expand = 3;
        shm = through_shared_memory;
        int bits = init_display(server.name().c_str());
        restore_stdout(saved);
        EXPECT_EQ(shm_ready, through_shared_memory);
        int bytes_per_pixel = bits / 8;
        std::vector<std::vector<unsigned char>> pictures;
        for (int pane = 1; pane <= 6; ++pane)
            pictures.push_back(pane_picture(pane, width, height, bytes_per_pixel));
        for (int pane = 1; pane <= 6; ++pane)
            display_image(ximage, pictures[pane - 1].data(), pane);
        int window_width = 3 * width, window_height = 2 * height + 50;
        Capture shown = capture_region(display, window, 0, 0, window_width, window_height);
        Capture expected = expected_window(placements, width, height, pictures, window_width,
                                           window_height);
        ASSERT_FALSE(shown.empty());
        uint32_t bits_used = default_colour_bits(display);
        Capture shown_bits = masked(shown, bits_used);
        Capture expected_bits = masked(expected, bits_used);
        size_t differing = 0, first = 0;
        for (size_t i = 0; i < shown_bits.pixels.size(); ++i)
            if (shown_bits.pixels[i] != expected_bits.pixels[i] && differing++ == 0)
                first = i;
        EXPECT_EQ(differing, 0u) << "first at x " << first % window_width << " y "
                                 << first / window_width;
        // The pictures themselves, independent of how the expectation was drawn.
        for (int pane = 0; pane < 6; ++pane) {
            Capture picture = crop(shown_bits, placements[pane].x, placements[pane].y, width, height);
            Capture source = capture_from_buffer(pictures[pane].data(), bytes_per_pixel, width,
                                                 height, bits_used);
            EXPECT_TRUE(picture == source) << "pane " << pane + 1;
        }
    });
    EXPECT_EQ(status, 0);
}

TEST(Panes, QcifPanesAndCaptionsStandAtTheirPlacesOnDepth24)
{
    check_all_panes(24, 176, 144, qcif_panes);
}

TEST(Panes, CifPanesAndCaptionsStandAtTheirPlacesOnDepth16)
{
    check_all_panes(16, 352, 288, cif_panes);
}

TEST(Panes, ThroughSharedMemoryPanesAndCaptionsStandAtTheSamePlaces)
{
    check_all_panes(24, 352, 288, cif_panes, 1);
    check_all_panes(16, 176, 144, qcif_panes, 1);
}

// The server reads a shared slot only when it gets to the request, which may be after
// the next picture for that pane was written: a copy of the window queued between the
// two puts must still find the first picture.
TEST(Panes, ThroughSharedMemoryAPictureIsNotOverwrittenBeforeTheServerHasShownIt)
{
    XvfbServer server(24);
    int status = run_isolated([&] {
        int saved = redirect_stdout("/dev/null");
        use_picture_size(352, 288);
        expand = 3;
        shm = 1;
        init_display(server.name().c_str());
        restore_stdout(saved);
        ASSERT_EQ(shm_ready, 1);
        std::vector<unsigned char> first = pane_picture(1, 352, 288, 4);
        std::vector<unsigned char> second = pane_picture(2, 352, 288, 4);
        Pixmap copy = XCreatePixmap(display, window, 352, 288, dpy_depth);
        uint32_t bits_used = default_colour_bits(display);
        for (int pane = 1; pane <= 6; ++pane) {
            const Placement &at = cif_panes[pane - 1];
            display_image(ximage, first.data(), pane);
            XCopyArea(display, window, copy, gc, at.x, at.y, 352, 288, 0, 0);
            display_image(ximage, second.data(), pane);
            Capture copied = masked(capture_region(display, copy, 0, 0, 352, 288), bits_used);
            Capture shown = masked(capture_region(display, window, at.x, at.y, 352, 288), bits_used);
            EXPECT_TRUE(copied == capture_from_buffer(first.data(), 4, 352, 288, bits_used))
                << "pane " << pane;
            EXPECT_TRUE(shown == capture_from_buffer(second.data(), 4, 352, 288, bits_used))
                << "pane " << pane;
        }
    });
    EXPECT_EQ(status, 0);
}

TEST(Panes, EachCallLabelsTheImageInMachineOrderPointsAtTheBufferAndSendsTwoRequests)
{
    // A QCIF picture fits one protocol request; the X library splits larger ones.
    XvfbServer server(24);
    int status = run_isolated([&] {
        int saved = redirect_stdout("/dev/null");
        use_picture_size(176, 144);
        expand = 3;
        init_display(server.name().c_str());
        restore_stdout(saved);
        std::vector<unsigned char> picture = pane_picture(1, 176, 144, 4);
        const int one = 1;
        const int machine = *reinterpret_cast<const unsigned char *>(&one) == 1 ? LSBFirst : MSBFirst;
        const int other = machine == LSBFirst ? MSBFirst : LSBFirst;
        // The first drawing also carries the background that init_display set on gc.
        display_image(ximage, picture.data(), 1);
        for (int pane = 1; pane <= 6; ++pane) {
            ximage->byte_order = other;
            ximage->bitmap_bit_order = other;
            unsigned long before = NextRequest(display);
            display_image(ximage, picture.data(), pane);
            EXPECT_EQ(NextRequest(display) - before, 2ul) << "pane " << pane;
            EXPECT_EQ(ximage->byte_order, machine);
            EXPECT_EQ(ximage->bitmap_bit_order, machine);
            EXPECT_EQ(ximage->data, reinterpret_cast<char *>(picture.data()));
        }
    });
    EXPECT_EQ(status, 0);
}

TEST(Panes, AnUnknownPaneNumberPrintsTheMessageAndDrawsNothing)
{
    XvfbServer server(16);
    TempDir dir;
    std::string out = dir.file("stdout");
    int status = run_isolated([&] {
        use_picture_size(176, 144);
        expand = 3;
        int saved = redirect_stdout("/dev/null");
        init_display(server.name().c_str());
        restore_stdout(saved);
        std::vector<unsigned char> picture = pane_picture(2, 176, 144, 2);
        display_image(ximage, picture.data(), 1);
        Capture before = capture_region(display, window, 0, 0, 528, 338);
        for (int pane : {0, 7, -1, 1000}) {
            unsigned long requests = NextRequest(display);
            saved = redirect_stdout(out.c_str());
            display_image(ximage, picture.data(), pane);
            restore_stdout(saved);
            EXPECT_EQ(NextRequest(display), requests) << "pane " << pane;
        }
        Capture after = capture_region(display, window, 0, 0, 528, 338);
        EXPECT_TRUE(before == after);
    });
    EXPECT_EQ(status, 0);
    const std::string message = "\nOH MY GOD, SOMETHING TERRIBLE JUST HAPPENED ;-)\n";
    EXPECT_EQ(read_text_file(out), message + message + message + message);
}
