// The entry point: start-up in its fixed order, then playback.
#include "colour_choice.h"
#include "help_text.h"
#include "playback.h"
#include "startup.h"
#include "common/help_request.h"
#include "common/labels.h"
#include "common/settings.h"
#include "common/standard_descriptors.h"
#include "display/display.h"
#include "display/events.h"
#include "display/psnr_graph.h"
#include "quality/quality_kernels.h"
#include "source/freeze.h"
#include "source/geometry.h"
#include "source/options.h"

int main(int argc, char **argv)
{
    open_standard_descriptors("trivista");
    if (help_requested(argc, argv))
        return print_help("trivista", viewer_help_text);
    select_quality_kernels();
    if (argc < 3) {
        help(argc > 0 && argv[0] ? argv[0] : "trivista");
        return -1;
    }
    parse_options(argc, argv);
    caption_panes_by_labels();
    compute_geometry();
    compute_frame_range();
    choose_colour_conversion();
    refuse_oversized_zoom();
    open_display("");  // the screen's size settles the zoom, which sizes the buffers
    allocate_buffers();
    init_display("");
    init_psnr_histories();  // on the graphs' baseline, which follows the zoom the display chose
    if (!settings.quiet)
        init_status();
    listen_for_input();  // as soon as both windows are there, so no early key is lost
    create_logo();
    load_freeze_tables();
    set_frame_period();
    return play();
}
