// The report tool's own options, recognised through the viewer's option loop.
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "report.h"
#include "report_plot.h"
#include "common/die.h"

ReportOptions report_options;

int report_option(const char *name, const char *value)
{
    if (strcmp(name, "-json") == 0) {
        report_options.json = 1;
        return 1;
    }
    if (strcmp(name, "-no-ssim") == 0) {
        report_options.ssim = 0;
        return 1;
    }
    if (strcmp(name, "-min-psnr") == 0) {
        if (!value)
            die(1, "-min-psnr needs a value in dB\n");
        char *end;
        double limit = strtod(value, &end);
        if (end == value || *end != '\0' || !std::isfinite(limit))
            die(1, "-min-psnr %s: the limit must be a number of dB\n", value);
        report_options.min_psnr = limit;
        report_options.min_psnr_given = 1;
        return 2;
    }
    if (strcmp(name, "-threads") == 0) {
        if (!value || (strcmp(value, "1") != 0 && strcmp(value, "2") != 0))
            die(1, "-threads takes 1 or 2\n");
        report_options.threads = value[0] == '2';
        return 2;
    }
    // Only the name is taken here: the file is opened after the options, written at the end.
    if (strcmp(name, "-plot") == 0) {
        if (!value)
            die(1, "-plot needs a file name ending in .png, .svg or .pdf\n");
        if (plot_format_of(value) < 0)
            die(1, "-plot %s: the format follows the extension: .png, .svg or .pdf\n", value);
        report_options.plot_path = value;
        return 2;
    }
    return 0;
}
