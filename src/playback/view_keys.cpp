#include "view_keys.h"

#include "pane_render.h"
#include "startup.h"
#include "common/panes.h"
#include "common/settings.h"
#include "convert/renderers.h"
#include "display/display.h"
#include "display/layout.h"
#include "display/look.h"
#include "display/psnr_graph.h"
#include "display/viewport.h"

// Shift+arrows move the view by this part of a pane.
static const int pan_fraction = 8;

// After the zoom or the panes' size changed: buffers, window, graphs and panes follow.
static void lay_out_again(int old_baseline)
{
    resize_buffers((int64_t)rendered_width() * rendered_height() * rendered_pixel_bytes());
    resize_main_window();
    move_psnr_histories(old_baseline);
    render_shown_panes();
}

static bool change_zoom(int direction)
{
    int baseline = graph_area(1).baseline_y;
    Display *display = x11.display;
    if (!zoom_view(direction, DisplayWidth(display, x11.dpy_screen),
                   DisplayHeight(display, x11.dpy_screen)))
        return false;
    lay_out_again(baseline);
    return true;
}

static bool fit_window(int width, int height)
{
    int baseline = graph_area(1).baseline_y;
    int pane_width = shown_width(), pane_height = shown_height(), x = x11.viewport.x, y = x11.viewport.y;
    fit_panes_to_window(width, height);
    if (pane_width == shown_width() && pane_height == shown_height() && x == x11.viewport.x &&
        y == x11.viewport.y) {
        follow_main_window();  // the window manager's size, which the panes did not need
        return false;
    }
    lay_out_again(baseline);
    return true;
}

static bool pan(int dx, int dy)
{
    if (!move_view(dx, dy))
        return false;
    render_shown_panes();
    return true;
}

// Button 2 or 3 holds the pictures where it was pressed; they follow the pointer.
static bool drag(const UserCommand &command)
{
    if (command.frames) {
        x11.viewport.grip_x = command.x + x11.viewport.x;
        x11.viewport.grip_y = command.y + x11.viewport.y;
        return false;
    }
    return pan(x11.viewport.grip_x - command.x - x11.viewport.x, x11.viewport.grip_y - command.y - x11.viewport.y);
}

// w and a: each toggles its view against the panes' own sequences; the captions change too.
static bool toggle(ABView view)
{
    if (settings.expand < 2)
        return false;
    look.ab_view = look.ab_view == view ? ab_own : view;
    follow_pointer(look.ab_view == ab_wipe);
    // The Original's overlay goes while other panes show its pixels.
    if (look.overlay_shown && pane_shown(pane_of_sequence(1)))
        render_sequence_pane(1);
    for (int n = 2; n <= settings.expand; n++)
        clear_caption(pane_of_sequence(n));
    return true;
}

// The wipe's split goes where the pointer is across whichever pane it is over.
static bool move_split(int x, int y)
{
    int pane, picture_x, picture_y;
    if (look.ab_view != ab_wipe || !pane_at(x, y, &pane, &picture_x, &picture_y))
        return false;
    int split = x - pane_rect(pane).x;
    if (split == look.wipe_split)
        return false;
    look.wipe_split = split;
    for (int n = 2; n <= settings.expand; n++)
        display_image(x11.ximage, panes[pane_of_sequence(n)].rendered, pane_of_sequence(n));
    present_frame();
    return false;
}

// y, u, v and c: every pane again in the plane chosen; nothing for U or V of gray pictures.
static bool show_plane(PlaneView plane)
{
    if (!choose_plane(plane))
        return false;
    render_shown_panes();
    return true;
}

bool obey_view_command(const UserCommand &command)
{
    switch (command.kind) {
    case command_zoom: return change_zoom(command.frames);
    case command_pan:
        return pan(command.x * shown_width() / pan_fraction, command.y * shown_height() / pan_fraction);
    case command_drag: return drag(command);
    case command_resize: return fit_window(command.x, command.y);
    case command_wipe: return toggle(ab_wipe);
    case command_flicker: return toggle(ab_original);
    case command_pointer: return move_split(command.x, command.y);
    case command_overlay:
        look.overlay_shown = !look.overlay_shown;
        render_shown_panes();
        return true;
    case command_plane: return show_plane((PlaneView)command.plane);
    default: return false;
    }
}
