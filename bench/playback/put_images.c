/* The transfer limit of one playback frame: six CIF pictures put into one window with
 * XPutImage, as the panes are, and nothing else. Prints the frames per second.
 *
 *   put_images FRAMES     (DISPLAY names the server)
 */
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/time.h>

enum { width = 352, height = 288, panes = 6 };

static double now(void)
{
    struct timeval t;
    gettimeofday(&t, NULL);
    return t.tv_sec + t.tv_usec / 1e6;
}

int main(int argc, char **argv)
{
    int frames = argc > 1 ? atoi(argv[1]) : 300;
    Display *dpy = XOpenDisplay(NULL);
    if (!dpy || frames <= 0) {
        fprintf(stderr, "usage: DISPLAY=... put_images FRAMES\n");
        return 1;
    }
    int screen = DefaultScreen(dpy);
    int depth = DefaultDepth(dpy, screen);
    Window window = XCreateSimpleWindow(dpy, RootWindow(dpy, screen), 0, 0, 3 * width,
                                        2 * height + 50, 1, BlackPixel(dpy, screen),
                                        WhitePixel(dpy, screen));
    XSelectInput(dpy, window, StructureNotifyMask);
    XMapWindow(dpy, window);
    XEvent event;
    do
        XNextEvent(dpy, &event);
    while (event.type != MapNotify);

    XImage *image = XCreateImage(dpy, DefaultVisual(dpy, screen), depth, ZPixmap, 0, NULL, width,
                                 height, 8, 0);
    char *pixels[panes];
    for (int p = 0; p < panes; ++p) {
        pixels[p] = malloc((size_t)image->bytes_per_line * height);
        for (int i = 0; i < image->bytes_per_line * height; ++i)
            pixels[p][i] = (char)(i * 7 + p * 31);
    }
    GC gc = DefaultGC(dpy, screen);

    double start = now();
    for (int f = 0; f < frames; ++f) {
        for (int p = 0; p < panes; ++p) {
            image->data = pixels[p];
            XPutImage(dpy, window, gc, image, 0, 0, (p % 3) * width, (p / 3) * (height + 30),
                      width, height);
        }
        XFlush(dpy);
    }
    XSync(dpy, False);
    double seconds = now() - start;
    printf("%.1f\n", frames / seconds);
    image->data = NULL;
    XDestroyImage(image);
    XCloseDisplay(dpy);
    return 0;
}
