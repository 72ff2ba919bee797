// trivista-report: the viewer's per-frame measurements as a CSV or JSON report, without a
// display.
#include <cstdio>

#include "report.h"
#include "report_plot.h"
#include "common/die.h"
#include "common/help_request.h"
#include "common/settings.h"
#include "common/standard_descriptors.h"
#include "quality/difference_pictures.h"
#include "quality/quality_kernels.h"
#include "source/freeze.h"
#include "source/geometry.h"
#include "source/options.h"
#include "source/sequence.h"

#if defined(__SANITIZE_ADDRESS__)
// fontconfig, under cairo's text, loses a block or two while it parses its configuration, with
// no frame of ours on the stack; the leak check of sanitized builds passes over that library,
// silently, so that a clean run leaves no report.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

extern "C" const char *__lsan_default_options()
{
    return "print_suppressions=0";
}
#endif

// Exit status when some pair fell below -min-psnr on some frame.
static const int status_below_min_psnr = 2;

static void report_help(const char *program_name)
{
    printf("\n");
    printf("Measures the pairs of up to three concatenated YUV 4:2:0 sequences frame by frame:\n");
    printf("luma and chroma PSNR and luma SSIM, with the viewer's frame range and freezing.\n");
    printf("\nUsage:\n");
    printf("\t%s [opt.switches] -f1 yuv -f2 yuv [-f3 yuv]\n", program_name);
    printf("\nOptional switches:\n\n");
    printf("-CIF\tfor CIF format (default QCIF)\n");
    printf("-size WxH\tpicture size (even, 16x16 to 4096x2304)\n");
    printf("-fr2\tfile with frames to freeze (f2)\n");
    printf("-fr3\tfile with frames to freeze (f3)\n");
    printf("-s #\tstart with frame # (default: first)\n");
    printf("-e #\tend with frame # (default: last of first file)\n");
    printf("-json\tJSON lines instead of CSV; the summary is the last line\n");
    printf("-no-ssim\tleave SSIM out\n");
    printf("-min-psnr X\texit status 2 when a pair's luma PSNR falls below X dB\n");
    printf("-threads N\t1 (default) or 2: a second thread reads and measures alongside\n");
    printf("-plot FILE\talso draw the per-frame PSNR (and SSIM) of the range into FILE:\n");
    printf("\t\t.png, .svg or .pdf\n");
    printf("\n");
    fflush(stdout);
}

int main(int argc, char **argv)
{
    const char *program_name = argc > 0 && argv[0] ? argv[0] : "trivista-report";
    open_standard_descriptors(program_name);
    if (help_requested(argc, argv))
        return print_help("trivista-report", report_help_text);
    select_quality_kernels();
    if (argc < 3) {
        report_help(program_name);
        return -1;
    }
    parse_options(argc, argv, report_option);
    if (settings.expand < 2)
        die(1, "%s: give at least two sequences (-f1 and -f2) to compare\n", program_name);
    compute_geometry();
    compute_frame_range();
    allocate_sequence_pictures();
    allocate_difference_pictures();
    allocate_measure_buffers();
    load_freeze_tables();
    if (report_options.plot_path) {
        allocate_plot_values();
        open_plot_file();  // an unwritable path is refused before the run, not after it
    }

    run_report(stdout);
    clearerr(stderr);  // a warning lost before does not fail the run; a lost summary does
    write_summary(stderr, stdout);
    if (fflush(stdout) != 0 || ferror(stdout))
        die(1, "%s: could not write the report to standard output\n", program_name);
    if (fflush(stderr) != 0 || ferror(stderr))
        die(1, "%s: could not write the summary to standard error\n", program_name);
    if (report_options.plot_path)
        write_plot();
    close_sequences();
    return report_state.frames_below_min_psnr > 0 ? status_below_min_psnr : 0;
}
