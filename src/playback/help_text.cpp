// The viewer's full help, grouped as the README groups it; trivista(1) has the details.
#include "help_text.h"

const char viewer_help_text[] = R"(Usage: trivista [options] -f1 original [-f2 encoded [-f3 transmitted]]
Plays up to three sequences of one video side by side in lock-step, with the
difference pictures of every pair and, with -PSNR, their luma PSNR.

Sequences:
  -f1 FILE       the Original; required; its length sets the frame range
  -f2 FILE       the Encoded; only after -f1
  -f3 FILE       the Transmitted; only after -f2
  -fr2 FILE      freeze file for the Encoded: hold it at the listed frames
  -fr3 FILE      freeze file for the Transmitted: hold it at the listed frames
Size and format (default QCIF, 176x144, yuv420p):
  -CIF           CIF pictures, 352x288
  -size WxH      any even size, 16x16 to 4096x2304; the last of -size/-CIF wins
  -pix_fmt NAME  yuv420p, yuv422p, yuv444p or gray, also as 10le, 12le, 16le;
                 nv12, nv21 and p010le (chroma interleaved) read as 4:2:0
  -crop WxH+X+Y  show and measure only that region of every picture (X
                 geometry; -X-Y from the right and bottom edges); even values
Colours (default: what the file says, else above 720x576 bt709 tv, else bt601 pc):
  -colorspace M  the matrix: bt601, bt709 or bt2020
  -color_range R the range: tv or limited (16..235), pc or full (0..255)
Frames and pace:
  -s N|TIME      start every pass at frame N (frames count from 0; default 0)
                 or at a time, 1:30 or 0:01:02.5: the frame on screen then, at
                 the Original's own rate, else at -fps
  -e N|TIME      end every pass at frame N or a time (default: last whole
                 frame of -f1)
  -fps RATE      target frame rate: 25, 29.97 or 30000/1001 (default 25, or the
                 rate of a YUV4MPEG2 or encoded Original)
  -l             loop without end (default: one pass); PSNR means per pass
What is shown (default: everything but PSNR, at zoom 1):
  -PSNR          luma PSNR of every pair: graphs and info-window table
  -nodiff        no difference pictures (with -PSNR the graphs stay)
  -quiet         no info window
  -label1 TEXT   name the Original in captions and the info window; -label2
                 and -label3 name the others (pairs become CRF23<->CRF40)
  -zoom F        1/8, 1/6, 1/5, 1/4, 1/3, 1/2, 1, 2, 3 or 4 (default: 1, or
                 less, so that both windows fit the screen); + and - change it
  -shm           pictures through X shared memory when the server offers it
  -shots DIR     where s saves its screenshots (default: the current directory)
  -h, --help     this text
Options are read in pairs of name and value; an unknown name is skipped
together with the next argument, with a warning. A number followed by anything
else (12abc, 3.5 for a frame) is refused.

Files: raw frames one after the other (Y, then U, then V); YUV4MPEG2, whose
header gives size, format and rate; or encoded (.mkv, .mp4, .webm, .ivf, .ts,
.264, .265, or content ffmpeg recognises), whose stream gives them. The size
and format of raw files: -size/-CIF and -pix_fmt, else the Original's name
(foreman_1920x1080_420p10le.yuv, clip_1080p_10bit.yuv), else QCIF yuv420p;
every name must agree. One chroma layout at different depths is compared at the
highest, the lower samples shifted left (8 to 10 bits: x4). Freeze files: one
frame number a line.

Keys, in either window: Space pause/resume; Right/Left one frame, Up/Down 10,
Page Up/Page Down 100 forward/back; Home/End the first/last frame; n/Shift+n
the next/previous I frame of the first encoded sequence; b/Shift+b the
next/previous frame where a pair's luma PSNR is below 30 dB (-PSNR); d the next
difference view (gray, centred gray 128 + gain x d, heat map of |d| x gain); g
the next gain (1, 2, 4, 8, 16); y, u or v that plane alone in gray, with its
differences, graphs and PSNR rows; c colour again; o over encoded panes each
block's QP as a heat map and motion vectors as lines, or off; h or ? the keys
until the next key; s saves both windows as shown into trivista-FRAME.png and
prints saved: PATH; + and - the next larger and smaller zoom, the main window
no larger than the screen, whose panes then show one view of their pictures:
Shift+arrows move it by an eighth of a pane, dragging with mouse button 2 or 3
with the pointer; w wipes the Original into the Encoded and Transmitted panes
left of the pointer, a shows the Original there instead and back; q, Escape or
the close button end the run. Mouse button 1 on a pane prints on standard
output, for example:
pixel: frame 12 x 40 y 33 org 120 128 130 enc 118 127 131 tra 118 127 131 org-enc 2 enc-tra 0 org-tra 2

Exit status: 0 normal end; 1 usage errors, refused values, unusable displays;
3 a sequence file cannot be opened; 255 fewer than two arguments, or a freeze
file that cannot be opened. More in trivista(1).
)";
