// The main window as init_display leaves it, on a real server of each accepted depth.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <string>
#include <thread>

#include "color_tables.h"
#include "display.h"
#include "harness.h"
#include "isolated.h"
#include "settings.h"

static const char banner[] = "\nkestrin Trivista\nhttps://trivista.example/\n\n";

static void use_picture_size(int width, int height)
{
    horizontal_size = coded_picture_width = width;
    vertical_size = coded_picture_height = height;
}

// Pixel value the server gives a colour string on its default colormap.
static unsigned long server_pixel(Display *dpy, const char *name)
{
    XColor colour;
    Colormap colormap = DefaultColormap(dpy, DefaultScreen(dpy));
    XParseColor(dpy, colormap, name, &colour);
    XAllocColor(dpy, colormap, &colour);
    return colour.pixel;
}

static std::string window_text_property(Display *dpy, Window w, Atom property)
{
    XTextProperty text;
    std::string value;
    if (XGetTextProperty(dpy, w, &text, property) && text.value) {
        value = reinterpret_cast<char *>(text.value);
        XFree(text.value);
    }
    return value;
}

TEST(MainWindow, OnDepth24ReturnsThirtyTwoBitsWithTheVisualMasksAndEightBitTables)
{
    XvfbServer server(24);
    TempDir dir;
    std::string out = dir.file("stdout");
    int status = run_isolated([&] {
        int saved = redirect_stdout(out.c_str());
        use_picture_size(176, 144);
        expand = 3;
        EXPECT_EQ(init_display(server.name().c_str()), 32);
        restore_stdout(saved);
        EXPECT_EQ(dpy_depth, 24);
        EXPECT_EQ(wpixel[0], 0xFF0000ul);
        EXPECT_EQ(wpixel[1], 0x00FF00ul);
        EXPECT_EQ(wpixel[2], 0x0000FFul);
        // 32-bit tables hold the channel bits alone, clamped at both ends.
        EXPECT_EQ(r_2_pix[255], 0xFF0000);
        EXPECT_EQ(r_2_pix[400], 0xFF0000);
        EXPECT_EQ(g_2_pix[128], 0x008000);
        EXPECT_EQ(b_2_pix[-20], 0);
        ASSERT_NE(ximage, nullptr);
        EXPECT_EQ(ximage->width, 176);
        EXPECT_EQ(ximage->height, 144);
        EXPECT_EQ(ximage->depth, 24);
        EXPECT_EQ(ximage->format, ZPixmap);
        EXPECT_EQ(ximage->xoffset, 0);
        EXPECT_EQ(ximage->bits_per_pixel, 32);
        EXPECT_EQ(ximage->bytes_per_line, 176 * 4);
        EXPECT_EQ(ximage->data, nullptr);
        EXPECT_EQ(gray_col.pixel, 0xDBDBDBul);
        EXPECT_EQ(green_col.pixel, 0x548B54ul);
        EXPECT_EQ(red_col.pixel, 0xCD3700ul);
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(read_text_file(out), banner);
}

TEST(MainWindow, OnDepth16ReturnsSixteenBitsWithTheVisualMasksAndDoubledTables)
{
    XvfbServer server(16);
    XConnection x(server.name());
    unsigned long gray = server_pixel(x.get(), "#DBDBDB");
    unsigned long green = server_pixel(x.get(), "#548B54");
    unsigned long red = server_pixel(x.get(), "#CD3700");
    int status = run_isolated([&] {
        use_picture_size(352, 288);
        expand = 1;
        int saved = redirect_stdout("/dev/null");
        EXPECT_EQ(init_display(server.name().c_str()), 16);
        restore_stdout(saved);
        EXPECT_EQ(dpy_depth, 16);
        EXPECT_EQ(wpixel[0], 0xF800ul);
        EXPECT_EQ(wpixel[1], 0x07E0ul);
        EXPECT_EQ(wpixel[2], 0x001Ful);
        // 16-bit tables carry each value in both halves of the word.
        EXPECT_EQ(static_cast<uint32_t>(r_2_pix[255]), 0xF800F800u);
        EXPECT_EQ(static_cast<uint32_t>(b_2_pix[300]), 0x001F001Fu);
        EXPECT_EQ(g_2_pix[-1], 0);
        ASSERT_NE(ximage, nullptr);
        EXPECT_EQ(ximage->depth, 16);
        EXPECT_EQ(ximage->bits_per_pixel, 16);
        EXPECT_EQ(ximage->bytes_per_line, 352 * 2);
        EXPECT_EQ(gray_col.pixel, gray);
        EXPECT_EQ(green_col.pixel, green);
        EXPECT_EQ(red_col.pixel, red);
    });
    EXPECT_EQ(status, 0);
}

TEST(MainWindow, IsAFixedSizeGrayWindowAtTheOriginTitledAndListeningToNothing)
{
    XvfbServer server(24);
    XConnection x(server.name());
    TempDir dir;
    std::string checked = dir.file("checked");
    pid_t child = start_isolated([&] {
        use_picture_size(176, 144);
        expand = 2;
        psnr = 1;
        int saved = redirect_stdout("/dev/null");
        init_display(server.name().c_str());
        restore_stdout(saved);
        XWindowAttributes attributes;
        XGetWindowAttributes(display, window, &attributes);
        EXPECT_EQ(attributes.your_event_mask, NoEventMask);
        EXPECT_EQ(attributes.map_state, IsViewable);
        EXPECT_EQ(attributes.depth, 24);
        EXPECT_NE(attributes.colormap, DefaultColormap(display, DefaultScreen(display)));
        XGCValues values;
        ASSERT_TRUE(XGetGCValues(display, gc, GCForeground | GCBackground, &values));
        EXPECT_EQ(gc, DefaultGC(display, DefaultScreen(display)));
        EXPECT_EQ(values.background, gray_col.pixel);
        EXPECT_EQ(values.foreground, BlackPixel(display, DefaultScreen(display)));
        ASSERT_TRUE(XGetGCValues(display, psnr_gc,
                                 GCForeground | GCLineWidth | GCLineStyle | GCCapStyle | GCJoinStyle,
                                 &values));
        EXPECT_EQ(values.foreground, 124ul);
        EXPECT_EQ(values.line_width, 2);
        EXPECT_EQ(values.line_style, LineSolid);
        EXPECT_EQ(values.cap_style, CapButt);
        EXPECT_EQ(values.join_style, JoinMiter);
        if (::testing::Test::HasFailure())
            _exit(1);
        write_text_file(checked, "");
        pause();  // stay up while the parent looks at the window; killed from there
    });
    ASSERT_TRUE(wait_until([&] { return access(checked.c_str(), F_OK) == 0; }, 20))
        << "child status " << finish_isolated(child, 1);

    WindowGeometry found = wait_for_window(x.get(), "kestrin Trivista", 10);
    ASSERT_NE(found.id, 0u);
    EXPECT_EQ(found.x, 1);  // inside the 1-pixel border of a window created at (0, 0)
    EXPECT_EQ(found.y, 1);
    EXPECT_EQ(found.border, 1);
    EXPECT_EQ(found.width, 352);
    EXPECT_EQ(found.height, 488);
    EXPECT_EQ(window_text_property(x.get(), found.id, XA_WM_ICON_NAME), "kestrin Trivista");
    SizeHints hints = read_size_hints(x.get(), found.id);
    ASSERT_TRUE(hints.present);
    EXPECT_EQ(hints.flags, PSize | PMinSize | PMaxSize);
    EXPECT_EQ(hints.width, 352);
    EXPECT_EQ(hints.min_width, 352);
    EXPECT_EQ(hints.max_width, 352);
    EXPECT_EQ(hints.height, 488);
    EXPECT_EQ(hints.min_height, 488);
    EXPECT_EQ(hints.max_height, 488);
    Capture corner = capture_region(x.get(), found.id, 0, 0, 352, 488);
    ASSERT_FALSE(corner.empty());
    for (uint32_t p : masked(corner, 0xFFFFFF).pixels)
        ASSERT_EQ(p, 0xDBDBDBu);
    kill(child, SIGKILL);
    finish_isolated(child);
}

struct SizeCase {
    int width, height, expand, psnr, nodiff;
    int window_width, window_height;
};

TEST(MainWindow, SizeFollowsPictureSizeSequenceCountPsnrAndNodiff)
{
    const SizeCase cases[] = {
        {176, 144, 3, 0, 0, 528, 338}, {176, 144, 3, 1, 0, 528, 488},
        {176, 144, 3, 0, 1, 528, 169}, {176, 144, 3, 1, 1, 528, 488},
        {176, 144, 2, 0, 0, 352, 338}, {176, 144, 0, 0, 0, 176, 338},
        {176, 144, 1, 0, 1, 176, 169}, {176, 144, 4, 0, 0, 176, 338},
        {352, 288, 1, 0, 0, 352, 626}, {352, 288, 1, 0, 1, 352, 313},
        {352, 288, 2, 1, 0, 704, 776}, {352, 288, 3, 1, 1, 1056, 776},
        {352, 288, -1, 0, 0, 352, 626},
    };
    XvfbServer server(16);
    for (const SizeCase &c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " expand " << c.expand
                                        << " psnr " << c.psnr << " nodiff " << c.nodiff);
        int status = run_isolated([&] {
            use_picture_size(c.width, c.height);
            expand = c.expand;
            psnr = c.psnr;
            nodiff = c.nodiff;
            int saved = redirect_stdout("/dev/null");
            init_display(server.name().c_str());
            restore_stdout(saved);
            Window root;
            int x, y;
            unsigned width, height, border, depth;
            XGetGeometry(display, window, &root, &x, &y, &width, &height, &border, &depth);
            EXPECT_EQ(static_cast<int>(width), c.window_width);
            EXPECT_EQ(static_cast<int>(height), c.window_height);
            EXPECT_EQ(x, 0);
            EXPECT_EQ(y, 0);
            EXPECT_EQ(border, 1u);
        });
        EXPECT_EQ(status, 0);
    }
}

// A window manager that reparents the window before mapping it: the structure events
// that come first must be passed over, and init_display must return only once mapped.
TEST(MainWindow, WaitsForItsOwnMapNotifyPastEarlierStructureEvents)
{
    XvfbServer server(24);
    XConnection wm(server.name());
    Display *dpy = wm.get();
    Window root = DefaultRootWindow(dpy);
    XSelectInput(dpy, root, SubstructureRedirectMask);
    XSync(dpy, False);

    pid_t child = start_isolated([&] {
        use_picture_size(176, 144);
        expand = 1;
        int saved = redirect_stdout("/dev/null");
        init_display(server.name().c_str());
        restore_stdout(saved);
        XWindowAttributes attributes;
        XGetWindowAttributes(display, window, &attributes);
        EXPECT_EQ(attributes.map_state, IsViewable);
    });

    XEvent event;
    do
        XNextEvent(dpy, &event);
    while (event.type != MapRequest);
    Window client = event.xmaprequest.window;
    Window frame = XCreateSimpleWindow(dpy, root, 0, 0, 400, 400, 0, 0, 0);
    XReparentWindow(dpy, client, frame, 5, 20);
    XMoveResizeWindow(dpy, client, 5, 20, 176, 338);
    XMapWindow(dpy, frame);
    XSync(dpy, False);
    // The client now has ReparentNotify and ConfigureNotify but is not yet mapped.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    XMapWindow(dpy, client);
    XSync(dpy, False);
    EXPECT_EQ(finish_isolated(child, 20), 0);
}
