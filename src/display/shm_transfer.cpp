// Pane transfer through shared memory: the server reads the pixels straight from a
// segment that both processes map, instead of through the socket.
#include "shm_transfer.h"

#include <sys/ipc.h>
#include <sys/shm.h>
#include <sys/socket.h>

#include <cstdio>
#include <cstring>

#include "display.h"  // Xlib first: the extension header builds on its types
#include "common/panes.h"

#include <X11/extensions/XShm.h>

static const int slots = pane_count;  // one per pane, pane 1 in the first

static XShmSegmentInfo segment;
static XImage *shm_image;
static size_t slot_bytes;
static int slot_pending[slots];  // a put from this slot may not have been read yet
static int attach_failed;

static int note_attach_error(Display *, XErrorEvent *)
{
    attach_failed = 1;
    return 0;
}

// Shared memory only reaches a server on this machine: a Unix-domain connection.
static int local_connection()
{
    sockaddr_storage address;
    socklen_t length = sizeof address;
    if (getsockname(ConnectionNumber(x11.display), reinterpret_cast<sockaddr *>(&address),
                    &length) != 0)
        return 0;
    return address.ss_family == AF_UNIX;
}

static int give_up(const char *why)
{
    fprintf(stderr, "-shm: %s, using the ordinary image transfer\n", why);
    return 0;
}

static int attach_segment()
{
    segment.shmid = shmget(IPC_PRIVATE, slot_bytes * slots, IPC_CREAT | 0600);
    if (segment.shmid < 0)
        return 0;
    void *address = shmat(segment.shmid, nullptr, 0);
    if (address == reinterpret_cast<void *>(-1)) {
        shmctl(segment.shmid, IPC_RMID, nullptr);
        return 0;
    }
    segment.shmaddr = static_cast<char *>(address);
    segment.readOnly = True;

    XSync(x11.display, False);
    XErrorHandler previous = XSetErrorHandler(note_attach_error);
    XShmAttach(x11.display, &segment);
    XSync(x11.display, False);
    XSetErrorHandler(previous);
    // Marked for removal at once: it goes away with the last process that maps it,
    // however this one ends.
    shmctl(segment.shmid, IPC_RMID, nullptr);
    if (attach_failed) {
        shmdt(segment.shmaddr);
        return 0;
    }
    return 1;
}

static int make_shm_image()
{
    shm_image =
        XShmCreateImage(x11.display, DefaultVisual(x11.display, x11.dpy_screen), x11.dpy_depth,
                        ZPixmap, nullptr, &segment, x11.ximage->width, x11.ximage->height);
    if (!shm_image)
        return give_up("no shared-memory image");
    slot_bytes = static_cast<size_t>(shm_image->bytes_per_line) * shm_image->height;
    if (!attach_segment()) {
        XDestroyImage(shm_image);
        shm_image = nullptr;
        return give_up("the server could not attach a shared segment");
    }
    x11.shm_ready = 1;
    return 1;
}

int init_shm_transfer()
{
    if (!XShmQueryExtension(x11.display))
        return give_up("the server has no shared-memory extension");
    if (!local_connection())
        return give_up("the server is not on a local connection");
    return make_shm_image();
}

void resize_shm_transfer()
{
    // Nothing sent from the old slots may still be unread when they go.
    XSync(x11.display, False);
    XShmDetach(x11.display, &segment);
    XSync(x11.display, False);
    shmdt(segment.shmaddr);
    shm_image->data = nullptr;
    XDestroyImage(shm_image);
    shm_image = nullptr;
    memset(slot_pending, 0, sizeof slot_pending);
    x11.shm_ready = 0;
    make_shm_image();
}

void put_pane_shm(const unsigned char *buffer, int pane, int source_x, int source_y, Rect place)
{
    int slot = pane - 1;
    // The server reads a slot when it gets to the request, so a slot is not rewritten
    // before the server has caught up with everything sent so far; in playback this is
    // one round trip per frame, at its first pane.
    if (slot_pending[slot]) {
        XSync(x11.display, False);
        memset(slot_pending, 0, sizeof slot_pending);
    }
    char *data = segment.shmaddr + slot * slot_bytes;
    memcpy(data, buffer, slot_bytes);
    shm_image->data = data;
    XShmPutImage(x11.display, x11.window, x11.gc, shm_image, source_x, source_y, place.x, place.y,
                 place.width, place.height, False);
    slot_pending[slot] = 1;
}
