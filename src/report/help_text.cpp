// The report's full help, grouped as the README groups it; trivista-report(1) has the details.
#include "report.h"

const char report_help_text[] = R"(Usage: trivista-report [options] -f1 original -f2 encoded [-f3 transmitted]
Measures every pair of two or three sequences frame by frame, without a
display: luma and chroma PSNR and luma SSIM over the viewer's frame range,
with its freezes.

Sequences:
  -f1 FILE        the Original; required; its length sets the frame range
  -f2 FILE        the Encoded; required; only after -f1
  -f3 FILE        the Transmitted; only after -f2
  -fr2 FILE       freeze file for the Encoded: hold it at the listed frames
  -fr3 FILE       freeze file for the Transmitted: hold it at the listed frames
Size and format (default QCIF, 176x144, yuv420p):
  -CIF            CIF pictures, 352x288
  -size WxH       even size, 16x16 to 4096x2304; the last of -size/-CIF wins
  -pix_fmt NAME   yuv420p, yuv422p, yuv444p or gray, also as 10le, 12le, 16le;
                  nv12, nv21 and p010le (chroma interleaved) read as 4:2:0
  -crop WxH+X+Y   measure only that region (X geometry; -X-Y from the right
                  and bottom edges); even values, inside the picture
Frames:
  -s N|TIME       first frame (frames count from 0; default 0), or the frame
                  on screen at a time, 1:30 or 0:01:02.5
  -e N|TIME       last frame (default: the last whole frame of -f1)
  -fps RATE       the rate times count in when the Original has none of its
                  own (raw): 25 (default), 29.97 or 30000/1001
Report (default: CSV with SSIM, one thread, no limit, no plot):
  -json           JSON lines instead of CSV; the summary is the last line
  -no-ssim        leave SSIM out
  -min-psnr X     exit status 2 when a pair's luma PSNR falls below X dB
  -threads N      1 or 2: a second thread reads and measures alongside
  -plot FILE      also draw per-frame PSNR and SSIM into FILE: .png, .svg, .pdf
                  (and each encoded sequence's frame sizes by type)
  -label1 TEXT    name the Original in the plot; -label2 and -label3 the
                  others (legend CRF23<->CRF40); the columns keep their keys
  -l, -PSNR, -nodiff, -quiet, -shm, -shots DIR, -zoom F, -colorspace M,
  -color_range R
                  the viewer's options: accepted and ignored
  -h, --help      this text

Files: raw frames one after the other (Y, then U, then V); YUV4MPEG2, whose
header gives size and format; or encoded (.mkv, .mp4, .webm, .ivf, .ts, .264,
.265, or content ffmpeg recognises), whose stream gives them. The size and
format of raw files: -size/-CIF and -pix_fmt, else the Original's name
(foreman_1920x1080_420p10le.yuv, clip_1080p_10bit.yuv), else QCIF yuv420p;
every name must agree. One chroma layout at different depths is compared at the
highest, the lower samples shifted left (8 to 10 bits: x4). Freeze files: one
frame number a line.

CSV on standard output: a header, then one line per frame with the columns
  frame,frozen_enc[,frozen_tra], and per pair <p>_psnr_y,<p>_psnr_u,<p>_psnr_v
  [,<p>_psnr_yuv][,<p>_ssim]
<p> is org_enc, then enc_tra and org_tra; PSNR in dB with 4 decimals (100 for
identical planes), SSIM with 6; psnr_yuv with -pix_fmt or any format but
8-bit 4:2:0. Summary on standard error, one line per pair:
  Org<->Enc: N frames, PSNR Y mean, global, min at frame, max; U and V (and
  YUV) mean and global; SSIM mean
With -crop the frames are followed by "of region WxH+X+Y".
Each encoded sequence adds type_<s>,bytes_<s>,qp_<s> (<s> org, enc or tra):
the frame's type as its decoder says it (I, P, B; ? unknown), the bytes of its
packets and its mean QP over its blocks (2 decimals; empty where the decoder
exports none and at frozen frames), and a summary line:
  Encoded stream: N frames (I a, P b, B c), T bytes, R kbit/s at F fps
With -json: one object per frame with the same figures, then {"summary":...}.

Exit status: 0; 2 a frame fell below -min-psnr; 1 usage errors, refused
values, a report, summary or plot that cannot be written; 3 a sequence file
cannot be opened; 255 fewer than two arguments, or a freeze file that cannot
be opened. More in trivista-report(1).
)";
