#include "settings.h"

#include <climits>

int horizontal_size = 176;
int vertical_size = 144;

int psnr = 0;
int quiet = 0;
int shm = 0;
int nodiff = 0;
int fps = 25;
char fps_label[24] = "";
int loop = 0;
int expand = 0;
int frame = 0;

int start_frame = 0;
int end_frame = INT_MAX - 1;  // until lowered to the last whole frame of the first file
int frame_period = 40000;

int64_t luma_size = 0;
int64_t chroma_size = 0;
int64_t frame_size = 0;

#include "pixel_format.h"

const PixelFormat *pixel_format = default_pixel_format;
int pix_fmt_given = 0;

int zoom_in = 1;
int zoom_out = 1;
int zoom_given = 0;
const char *shots_directory = nullptr;

int colorspace_option = -1;
int color_range_option = -1;
int colour_conversion_named = 0;
