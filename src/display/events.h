// What the user asks of a running viewer through either window: keys, clicks and the
// window manager's close button, turned into commands for the playback loop.
#pragma once

#include <cstdint>

enum CommandKind {
    command_none,
    command_pause,    // Space: pause, or resume when paused
    command_step,     // move `frames` frames (negative: back); a step while playing pauses
    command_first,    // Home: the first frame of the range
    command_last,     // End: the last frame of the range
    command_quit,     // q, Escape, or the close button of either window
    command_sample,   // button 1 on a pane: read the samples at `x`, `y` of the picture
    command_repaint,  // part of a window was exposed
    command_difference_view,  // d: the next view of the difference panes
    command_gain,             // g: the next gain of the difference views
    command_help,             // h or ?: the key table until the next key
    command_screenshot,       // s: both windows as shown into a PNG file
    command_zoom,             // + or -: the next zoom, `frames` +1 larger or -1 smaller
    command_pan,              // Shift+arrows: the view an eighth of a pane toward `x`, `y` (-1, 0, 1)
    command_drag,             // button 2 or 3 at `x`, `y` of the main window; `frames` 1 at the press
    command_resize,           // the main window's inside is now `x` by `y` pixels
    command_wipe,             // w: the wipe of the Original into the Encoded and Transmitted panes
    command_flicker,          // a: those panes between their own sequence and the Original
    command_pointer,          // the pointer moved to `x`, `y` of the main window
    command_overlay,          // o: the overlay of the streams' blocks on or off
    command_seek_intra,       // n, Shift+n: the next, previous I frame (`frames` 1 or -1)
    command_seek_poor,        // b, Shift+b: the next, previous frame below the red PSNR limit
    command_plane,            // y, u, v: that plane alone; c: colour again
};

// Whether a command moves to another frame.
inline bool is_move(CommandKind kind)
{
    return kind == command_step || kind == command_first || kind == command_last ||
           kind == command_seek_intra || kind == command_seek_poor;
}

struct UserCommand {
    CommandKind kind;
    int frames;  // command_step
    int x, y;    // command_sample: picture coordinates; see the kinds above for the others
    int plane;   // command_plane: the PlaneView asked for
};

// Asks the server for keys, clicks, exposures and the close message on both windows.
void listen_for_input();

// Whether the main window reports the pointer's moves without a button held (the wipe).
void follow_pointer(bool follow);

// The next command: none when nothing is waiting, unless `wait`, which blocks until one
// comes without using the processor. Events that ask for nothing are passed over.
UserCommand next_command(bool wait);

// The command that next_command gives next, left waiting; none when nothing waits.
UserCommand peek_command();

// Whether an ending command waits among all that wait; move_or_end_waiting: or a move.
bool end_waiting();
bool move_or_end_waiting();

// The clock of wait_for_input_until, in microseconds; it never goes back.
int64_t monotonic_microseconds();

// Waits until input comes or the clock reaches `end`, without using the processor; true
// when input is waiting. The frame pacing waits here, so that a slow rate never delays a key.
bool wait_for_input_until(int64_t end);
