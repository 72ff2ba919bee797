#include "events.h"

#include <X11/keysym.h>
#include <poll.h>
#include <time.h>

#include <cstdint>
#include <initializer_list>

#include "display.h"
#include "layout.h"
#include "convert/plane_view.h"

static Atom wm_protocols;
static Atom wm_delete_window;

static const long input_mask = KeyPressMask | ButtonPressMask | ExposureMask;
// The main window also reports drags and the window manager's resizing.
static const long main_window_mask =
    input_mask | Button2MotionMask | Button3MotionMask | StructureNotifyMask;

// Commands taken from the server ahead of their turn, so that all that wait are seen
// together: the oldest is taken next.
static const int most_taken = 256;
static struct {
    UserCommand waiting[most_taken];
    int first, count;
} taken;

static void take(const UserCommand &c)
{
    if (taken.count < most_taken)
        taken.waiting[(taken.first + taken.count++) % most_taken] = c;
}

void listen_for_input()
{
    wm_protocols = XInternAtom(x11.display, "WM_PROTOCOLS", False);
    wm_delete_window = XInternAtom(x11.display, "WM_DELETE_WINDOW", False);
    for (Window w : {x11.window, x11.status_win}) {
        if (!w)
            continue;
        XSelectInput(x11.display, w, w == x11.window ? main_window_mask : input_mask);
        XSetWMProtocols(x11.display, w, &wm_delete_window, 1);
    }
    // A size given to the main window before it was listened to (by the window manager or
    // the user during start-up) sent no event: it is taken as if it had.
    XWindowAttributes main_window;
    if (x11.window && XGetWindowAttributes(x11.display, x11.window, &main_window) &&
        (main_window.width != main_window_width() || main_window.height != main_window_height()))
        take(UserCommand{command_resize, 0, main_window.width, main_window.height, 0});
}

void follow_pointer(bool follow)
{
    XSelectInput(x11.display, x11.window, main_window_mask | (follow ? PointerMotionMask : 0));
}

static UserCommand command(CommandKind kind, int frames = 0)
{
    return UserCommand{kind, frames, 0, 0, 0};
}

static UserCommand plane_command(PlaneView plane)
{
    return UserCommand{command_plane, 0, 0, 0, plane};
}

static UserCommand pan(int x, int y)
{
    return UserCommand{command_pan, 0, x, y, 0};
}

// Shift with an arrow pans; '?' and '+' are shifted keys on most keyboards.
static UserCommand shifted_key_command(XKeyEvent *event)
{
    switch (XLookupKeysym(event, 0)) {
    case XK_Right: return pan(1, 0);
    case XK_Left: return pan(-1, 0);
    case XK_Up: return pan(0, -1);
    case XK_Down: return pan(0, 1);
    default: break;
    }
    switch (XLookupKeysym(event, 1)) {
    case XK_question: return command(command_help);
    case XK_plus: return command(command_zoom, 1);
    default: return command(command_none);
    }
}

static UserCommand key_command(XKeyEvent *event)
{
    if (event->state & ShiftMask) {
        UserCommand shifted = shifted_key_command(event);
        if (shifted.kind != command_none)
            return shifted;
    }
    switch (XLookupKeysym(event, 0)) {
    case XK_space: return command(command_pause);
    case XK_Right: return command(command_step, 1);
    case XK_Left: return command(command_step, -1);
    case XK_Up: return command(command_step, 10);
    case XK_Down: return command(command_step, -10);
    case XK_Prior: return command(command_step, 100);
    case XK_Next: return command(command_step, -100);
    case XK_Home: return command(command_first);
    case XK_End: return command(command_last);
    case XK_q:
    case XK_Escape: return command(command_quit);
    case XK_d: return command(command_difference_view);
    case XK_g: return command(command_gain);
    case XK_h:
    case XK_question: return command(command_help);
    case XK_s: return command(command_screenshot);
    case XK_plus:
    case XK_KP_Add: return command(command_zoom, 1);
    case XK_minus:
    case XK_KP_Subtract: return command(command_zoom, -1);
    case XK_w: return command(command_wipe);
    case XK_a: return command(command_flicker);
    case XK_o: return command(command_overlay);
    case XK_n: return command(command_seek_intra, event->state & ShiftMask ? -1 : 1);
    case XK_b: return command(command_seek_poor, event->state & ShiftMask ? -1 : 1);
    case XK_y: return plane_command(plane_view_y);
    case XK_u: return plane_command(plane_view_u);
    case XK_v: return plane_command(plane_view_v);
    case XK_c: return plane_command(plane_view_colour);
    default: return command(command_none);
    }
}

static UserCommand command_of(XEvent *event)
{
    switch (event->type) {
    case KeyPress:
        return key_command(&event->xkey);
    case ButtonPress: {
        int pane, x, y;
        const XButtonEvent &b = event->xbutton;
        if (b.window != x11.window)
            return command(command_none);
        if (b.button == Button2 || b.button == Button3)
            return UserCommand{command_drag, 1, b.x, b.y, 0};
        if (b.button == Button1 && pane_at(b.x, b.y, &pane, &x, &y))
            return UserCommand{command_sample, 0, x, y, 0};
        return command(command_none);
    }
    case MotionNotify: {
        // Only the last of the moves waiting counts.
        while (XCheckTypedWindowEvent(x11.display, x11.window, MotionNotify, event)) {
        }
        const XMotionEvent &m = event->xmotion;
        if (m.state & (Button2Mask | Button3Mask))
            return UserCommand{command_drag, 0, m.x, m.y, 0};
        return UserCommand{command_pointer, 0, m.x, m.y, 0};
    }
    case ConfigureNotify:
        if (event->xconfigure.window != x11.window ||
            (event->xconfigure.width == main_window_width() &&
             event->xconfigure.height == main_window_height()))
            return command(command_none);
        return UserCommand{command_resize, 0, event->xconfigure.width, event->xconfigure.height,
                           0};
    case Expose:
        // One repaint for the last of a series of exposures.
        return command(event->xexpose.count == 0 ? command_repaint : command_none);
    case ClientMessage:
        if (event->xclient.message_type == wm_protocols &&
            (Atom)event->xclient.data.l[0] == wm_delete_window)
            return command(command_quit);
        return command(command_none);
    default:
        return command(command_none);
    }
}

// Every event waiting at the server, as far as there is room.
static void take_waiting_events()
{
    while (x11.display && taken.count < most_taken && XPending(x11.display) > 0) {
        XEvent event;
        XNextEvent(x11.display, &event);
        UserCommand c = command_of(&event);
        if (c.kind != command_none)
            take(c);
    }
}

UserCommand next_command(bool wait)
{
    take_waiting_events();
    if (taken.count > 0) {
        UserCommand c = taken.waiting[taken.first];
        taken.first = (taken.first + 1) % most_taken;
        taken.count--;
        return c;
    }
    while (wait) {
        XEvent event;
        XNextEvent(x11.display, &event);
        UserCommand c = command_of(&event);
        if (c.kind != command_none)
            return c;
    }
    return command(command_none);
}

UserCommand peek_command()
{
    take_waiting_events();
    return taken.count > 0 ? taken.waiting[taken.first] : command(command_none);
}

static bool command_waiting(bool moves_too)
{
    take_waiting_events();
    for (int i = 0; i < taken.count; i++) {
        CommandKind kind = taken.waiting[(taken.first + i) % most_taken].kind;
        if (kind == command_quit || (moves_too && is_move(kind)))
            return true;
    }
    return false;
}

bool end_waiting() { return command_waiting(false); }
bool move_or_end_waiting() { return command_waiting(true); }

int64_t monotonic_microseconds()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (int64_t)now.tv_sec * 1000000 + now.tv_nsec / 1000;
}

bool wait_for_input_until(int64_t end)
{
    for (;;) {
        if (taken.count > 0 || (x11.display && XPending(x11.display) > 0))
            return true;
        int64_t left = end - monotonic_microseconds();
        if (left <= 0)
            return false;
        timespec wait = {(time_t)(left / 1000000), (long)(left % 1000000) * 1000};
        if (!x11.display) {  // playback checked without windows: nothing can come
            nanosleep(&wait, nullptr);
            continue;
        }
        // Readable data need not be an event (XPending then reads it and says 0): look again.
        pollfd connection = {ConnectionNumber(x11.display), POLLIN, 0};
        ppoll(&connection, 1, &wait, nullptr);
    }
}
