#include "startup_state.h"

#include <climits>

#include "playback/options.h"
#include "playback/picture_size.h"
#include "playback/sequence.h"
#include "common/pixel_format.h"
#include "common/settings.h"

void reset_startup_state()
{
    set_picture_size(176, 144);
    psnr = quiet = nodiff = shm = 0;
    fps = 25;
    fps_label[0] = '\0';
    loop = fr2 = fr3 = expand = 0;
    colordepth = 16;
    frame = 0;
    start_frame = 0;
    end_frame = INT_MAX - 1;
    frame_period = 40000;
    fr2_count = fr3_count = 0;
    luma_size = chroma_size = frame_size = 0;
    yuvname1[0] = yuvname2[0] = yuvname3[0] = fr2_name[0] = fr3_name[0] = '\0';
    fr2_path = fr3_path = nullptr;
    fps_given = size_given = 0;
    yuv_path[1] = yuv_path[2] = yuv_path[3] = nullptr;
    pixel_format = default_pixel_format;
    pix_fmt_given = 0;
    zoom_in = zoom_out = 1;
    zoom_given = 0;
}
