#include "events.h"

#include <X11/keysym.h>
#include <poll.h>
#include <time.h>

#include <cstdint>
#include <initializer_list>

#include "display.h"
#include "layout.h"

static Atom wm_protocols;
static Atom wm_delete_window;

void listen_for_input()
{
    const long mask = KeyPressMask | ButtonPressMask | ExposureMask;
    wm_protocols = XInternAtom(x11.display, "WM_PROTOCOLS", False);
    wm_delete_window = XInternAtom(x11.display, "WM_DELETE_WINDOW", False);
    for (Window w : {x11.window, x11.status_win}) {
        if (!w)
            continue;
        XSelectInput(x11.display, w, mask);
        XSetWMProtocols(x11.display, w, &wm_delete_window, 1);
    }
}

static UserCommand command(CommandKind kind, int frames = 0)
{
    return UserCommand{kind, frames, 0, 0};
}

static UserCommand key_command(XKeyEvent *event)
{
    // '?' is a shifted key on most keyboards; the unshifted column names the key.
    if ((event->state & ShiftMask) && XLookupKeysym(event, 1) == XK_question)
        return command(command_help);
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
        if (event->xbutton.button == Button1 && event->xbutton.window == x11.window &&
            pane_at(event->xbutton.x, event->xbutton.y, &pane, &x, &y))
            return UserCommand{command_sample, 0, x, y};
        return command(command_none);
    }
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

UserCommand next_command(bool wait)
{
    while (wait || XPending(x11.display) > 0) {
        XEvent event;
        XNextEvent(x11.display, &event);
        UserCommand c = command_of(&event);
        if (c.kind != command_none)
            return c;
    }
    return command(command_none);
}

int64_t monotonic_microseconds()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (int64_t)now.tv_sec * 1000000 + now.tv_nsec / 1000;
}

bool wait_for_input_until(int64_t end)
{
    for (;;) {
        if (x11.display && XPending(x11.display) > 0)
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
