/* Keys for the move benchmarks, through XTest on the window under the pointer at 20, 20.
 *   moves OUTPUT KEY... [click]   sends the keys (+MS waits), then with "click" a click at
 *                                 20, 20 and waits until OUTPUT holds one "pixel:" line more
 *                                 than before; prints the seconds from the first key on. */
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

static double now(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

static int pixel_lines(const char *path)
{
    FILE *f = fopen(path, "r");
    char line[4096];
    int n = 0;
    while (f && fgets(line, sizeof line, f))
        n += strncmp(line, "pixel:", 6) == 0;
    if (f)
        fclose(f);
    return n;
}

int main(int argc, char **argv)
{
    Display *d = XOpenDisplay(0);
    if (!d || argc < 2)
        return 1;
    int before = pixel_lines(argv[1]), click = 0;
    XTestFakeMotionEvent(d, -1, 20, 20, 0);
    XSync(d, 0);
    double start = now();
    for (int i = 2; i < argc; i++) {
        if (argv[i][0] == '+') {
            XSync(d, 0);
            usleep(atoi(argv[i] + 1) * 1000);
        } else if (strcmp(argv[i], "click") == 0) {
            XTestFakeButtonEvent(d, 1, True, 0), XTestFakeButtonEvent(d, 1, False, 0);
            click = 1;
        } else {
            KeyCode k = XKeysymToKeycode(d, XStringToKeysym(argv[i]));
            XTestFakeKeyEvent(d, k, True, 0), XTestFakeKeyEvent(d, k, False, 0);
        }
    }
    XSync(d, 0);
    while (click && pixel_lines(argv[1]) <= before)
        usleep(2000);
    printf("%.4f\n", now() - start);
    return 0;
}
