#include "startup_state.h"

#include <climits>

#include "common/pixel_format.h"
#include "common/region.h"
#include "common/settings.h"
#include "source/options.h"
#include "source/picture_size.h"
#include "source/sequence.h"

void reset_startup_state()
{
    set_picture_size(176, 144);
    psnr = quiet = nodiff = shm = 0;
    fps = 25;
    fps_label[0] = '\0';
    loop = expand = 0;
    frame = 0;
    start_frame = 0;
    end_frame = INT_MAX - 1;
    frame_period = 40000;
    luma_size = chroma_size = frame_size = 0;
    fps_given = size_given = 0;
    for (Sequence &sequence : sequences) {  // files closed and freeze tables freed before
        YuvFrame picture = sequence.picture;  // allocated once, as a run does
        sequence = Sequence{};
        sequence.picture = picture;
    }
    pixel_format = default_pixel_format;
    pix_fmt_given = 0;
    zoom_in = zoom_out = 1;
    zoom_given = 0;
    cropping = CropState{};
}
