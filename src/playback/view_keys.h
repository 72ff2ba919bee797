// Keys, drags and window sizes that change how much of the pictures the panes show (zoom and
// view), the A/B views of the Encoded and Transmitted panes, the overlay of the streams'
// blocks and the plane shown. Nothing is read or measured: the panes are rendered again from
// the pictures of the frame shown.
#pragma once

#include "display/events.h"

// Obeys a zoom, pan, drag, resize, wipe, flicker, pointer, overlay or plane command; true when
// both windows are to be drawn again from the rendered panes.
bool obey_view_command(const UserCommand &command);
