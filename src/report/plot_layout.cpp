// The plot's page and the axis mapping: where the panels go and which values they span.
#include "report_plot.h"

#include <cmath>
#include <cstring>
#include <initializer_list>
#include <strings.h>

// Geometry, in plot units.
static const double margin_right = 210;  // the legend
static const double title_height = 76;
static const double psnr_panel_height = 330;
static const double ssim_panel_height = 180;
static const double size_panel_height = 130;
static const double panel_gap = 26;
static const double bottom_margin = 16;
static const double psnr_least_span = 2;  // dB shown around a flat PSNR series
static const double ssim_least_span = 0.01;
static const double range_margin = 0.06;  // of the data's span, above and below

int plot_format_of(const char *path)
{
    static const char *const extension[] = {".png", ".svg", ".pdf"};
    size_t length = strlen(path);
    for (int format = plot_png; format <= plot_pdf; format++)
        if (length > 4 && strcasecmp(path + length - 4, extension[format]) == 0)
            return format;
    return -1;
}

double plot_x(const PlotPanel *panel, double frame)
{
    return panel->left + (frame - panel->first_frame + 0.5) * panel->width / panel->frames;
}

double plot_y(const PlotPanel *panel, double value)
{
    return panel->top + (panel->high - value) * panel->height / (panel->high - panel->low);
}

double plot_tick_step(double span, int most)
{
    double rough = span / most;
    if (!(rough > 0) || !std::isfinite(rough))
        return 1;
    double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (double factor : {1.0, 2.0, 5.0})
        if (factor * power >= rough)
            return factor * power;
    return 10 * power;
}

// The data's range with a margin, widened around its middle when it is too flat to read.
static void value_range(double min, double max, double least_span, double *low, double *high)
{
    if (max - min < least_span) {
        double middle = (min + max) / 2;
        min = middle - least_span / 2;
        max = middle + least_span / 2;
    }
    *low = min - range_margin * (max - min);
    *high = max + range_margin * (max - min);
}

void plot_layout(const PlotContent *content, PlotPage *page)
{
    double data_width = plot_page_width - plot_margin_left - margin_right;
    int slots = content->frames > 0 ? content->frames : 1;
    double row = content->identical_row ? plot_identical_row_height : 0;
    PlotPanel *psnr = &page->psnr, *ssim = &page->ssim;
    page->identical_top = title_height;
    *psnr = {plot_margin_left, title_height + row, data_width, psnr_panel_height,
             content->first_frame, slots, 0, 0};
    value_range(content->psnr_min, content->psnr_max, psnr_least_span, &psnr->low, &psnr->high);
    double below_psnr =
        psnr->top + psnr->height + plot_tick_label_height + 2 * plot_frozen_row_height;
    *ssim = *psnr;
    ssim->top = below_psnr + panel_gap;
    ssim->height = content->with_ssim ? ssim_panel_height : 0;
    value_range(content->ssim_min, content->ssim_max, ssim_least_span, &ssim->low, &ssim->high);
    double bottom =
        content->with_ssim ? ssim->top + ssim->height + plot_tick_label_height : below_psnr;
    for (int panel = 0; panel < content->size_panels; panel++) {
        PlotPanel *sizes = &page->sizes[panel];
        *sizes = *psnr;
        sizes->top = bottom + panel_gap;
        sizes->height = size_panel_height;
        sizes->low = 0;
        sizes->high = content->most_bytes[panel] > 0
                          ? content->most_bytes[panel] * (1 + range_margin)
                          : 1;
        bottom = sizes->top + sizes->height + plot_tick_label_height;
    }
    page->width = plot_page_width;
    page->height = (int)std::ceil(bottom + bottom_margin);
}
