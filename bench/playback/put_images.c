/* The transfer limit of one playback frame: six CIF pictures put into one window with
 * XPutImage, as the panes are, and nothing else. Prints the frames per second.
 * With "shm", the pictures lie in one shared segment and go with XShmPutImage, waiting
 * for the server once per frame before the slots could be written again.
 *
 *   put_images FRAMES [shm] [WxH]     (DISPLAY names the server)
 *
 * WxH sets the size of each picture (default CIF, 352x288).
 */
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/time.h>

enum { panes = 6 };
static int width = 352, height = 288;

static double now(void)
{
    struct timeval t;
    gettimeofday(&t, NULL);
    return t.tv_sec + t.tv_usec / 1e6;
}

int main(int argc, char **argv)
{
    int frames = argc > 1 ? atoi(argv[1]) : 300;
    int use_shm = 0, size_ok = 1;
    for (int i = 2; i < argc; ++i) {
        if (strcmp(argv[i], "shm") == 0)
            use_shm = 1;
        else if (sscanf(argv[i], "%dx%d", &width, &height) != 2 || width <= 0 || height <= 0)
            size_ok = 0;
    }
    Display *dpy = XOpenDisplay(NULL);
    if (!dpy || frames <= 0 || !size_ok) {
        fprintf(stderr, "usage: DISPLAY=... put_images FRAMES [shm] [WxH]\n");
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

    XShmSegmentInfo segment;
    XImage *image;
    if (use_shm) {
        if (!XShmQueryExtension(dpy)) {
            fprintf(stderr, "no shared-memory extension\n");
            return 1;
        }
        image = XShmCreateImage(dpy, DefaultVisual(dpy, screen), depth, ZPixmap, NULL, &segment,
                                width, height);
        segment.shmid = shmget(IPC_PRIVATE, (size_t)image->bytes_per_line * height * panes,
                               IPC_CREAT | 0600);
        segment.shmaddr = shmat(segment.shmid, NULL, 0);
        segment.readOnly = True;
        XShmAttach(dpy, &segment);
        XSync(dpy, False);
        shmctl(segment.shmid, IPC_RMID, NULL);
    } else {
        image = XCreateImage(dpy, DefaultVisual(dpy, screen), depth, ZPixmap, 0, NULL, width,
                             height, 8, 0);
    }
    size_t bytes = (size_t)image->bytes_per_line * height;
    char *pixels[panes];
    for (int p = 0; p < panes; ++p) {
        pixels[p] = use_shm ? segment.shmaddr + p * bytes : malloc(bytes);
        for (size_t i = 0; i < bytes; ++i)
            pixels[p][i] = (char)(i * 7 + p * 31);
    }
    GC gc = DefaultGC(dpy, screen);

    double start = now();
    for (int f = 0; f < frames; ++f) {
        if (use_shm)
            XSync(dpy, False);
        for (int p = 0; p < panes; ++p) {
            image->data = pixels[p];
            int x = (p % 3) * width, y = (p / 3) * (height + 30);
            if (use_shm)
                XShmPutImage(dpy, window, gc, image, 0, 0, x, y, width, height, False);
            else
                XPutImage(dpy, window, gc, image, 0, 0, x, y, width, height);
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
