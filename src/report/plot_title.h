// The plot's title, and the line of file names under it, fitted to the page.
#pragma once

#include <cairo.h>

#include <string>

// "Org: a.yuv     Enc: b.yuv ...": each caption with the base name of its file. Names too
// long for `width` with the font set on `cr` lose their middle to an ellipsis, the longest
// first, so that every name keeps its start and its end and all of them fit. Bytes that
// are not UTF-8 show as '?'.
std::string plot_file_names(cairo_t *cr, const char *const captions[], const char *const paths[],
                            int count, double width);

// "Luma PSNR per frame, frames 3 to 12", " and SSIM" after "PSNR" when it is plotted, and
// " of region WxH+X+Y" after the frames with -crop (`region` not null); without frames
// "Luma PSNR per frame: no frames measured".
std::string plot_title(bool with_ssim, int first_frame, int frames, const char *region);
