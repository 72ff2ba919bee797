// The alignment tool's full help, grouped as the README groups it; trivista-align(1) has
// the details.
#include "help_text.h"

const char align_help_text[] = R"(Usage: trivista-align [options] REFERENCE RECEIVED
Prints the numbers of the reference frames that RECEIVED lacks, one a line: a
freeze list for trivista -fr3 (or -fr2) and trivista-report -fr3. REFERENCE is
the complete timeline: the Encoded, or the Original without a clean decode.

Size and format (default QCIF, 176x144, yuv420p):
  -CIF           CIF pictures, 352x288
  -size WxH      any even size, 16x16 to 4096x2304; the last of -size/-CIF wins
  -pix_fmt NAME  yuv420p, yuv422p, yuv444p or gray, also as 10le, 12le, 16le;
                 nv12, nv21 and p010le (chroma interleaved) read as 4:2:0
  -crop WxH+X+Y  compare only that region (X geometry; -X-Y from the right and
                 bottom edges); even values, inside the picture
Frames:
  -s N|TIME      align from reference frame N (frames count from 0; default 0)
                 or from the frame on screen at a time, 1:30 or 0:01:02.5
  -e N|TIME      align up to reference frame N or a time (default: the last)
  -fps RATE      the rate times count in when REFERENCE has none of its own
                 (raw): 25 (default), 29.97 or 30000/1001
  -max-drop N    the most frames missing in all, less insertions, at any point
                 (0 to 1000000; default 250, 10 s at 25 fps)
  -colorspace M, -color_range R
                 the viewer's colour options: accepted and ignored
  -h, --help     this text
Options and the two file names may come in any order.

Files: raw frames one after the other (Y, then U, then V); YUV4MPEG2, whose
header gives size and format; or encoded (.mkv, .mp4, .webm, .ivf, .ts, .264,
.265, or content ffmpeg recognises), whose stream gives them. The size and
format of raw files: -size/-CIF and -pix_fmt, else REFERENCE's name
(foreman_1920x1080_420p10le.yuv, clip_1080p_10bit.yuv), else QCIF yuv420p;
every name must agree. One chroma layout at different depths is compared at the
highest, the lower samples shifted left (8 to 10 bits: x4). Both files are read
twice: files, not pipes.

Standard error gets the summary: frames matched, the drops, the worst match
and its luma PSNR, ambiguous drops, and received frames that fit nowhere.

Exit status: 0 every received frame has a place; 2 some fit nowhere (listed
on standard error); 1 bad input, or output that cannot be written. More in
trivista-align(1).
)";
