// The report's lines. Scripts parse them, so their formats stand here as named constants.
//
// CSV (default), on standard output: a header line, then one line per frame:
//   frame,frozen_enc[,frozen_tra],<pair>_psnr_y,<pair>_psnr_u,<pair>_psnr_v[,<pair>_psnr_yuv]
//   [,<pair>_ssim]...
// with <pair> org_enc, then (three sequences) enc_tra and org_tra; frozen columns are 0 or 1,
// PSNR in dB with 4 decimals (identical planes 100.0000), SSIM with 6 decimals. psnr_yuv
// (all three planes' samples together) is there with -pix_fmt or a format other than 8-bit
// 4:2:0; gray pictures leave the U and V fields empty (JSON: null).
// The summary goes to standard error, one line per pair (write_summary_line).
//
// JSON lines (-json), on standard output: one object per frame, then one summary object:
//   {"frame":3,"frozen_enc":false,"org_enc":{"psnr_y":..,"psnr_u":..,"psnr_v":..,"ssim":..}}
//   {"summary":{"frames":N,"org_enc":{"mean_psnr_y":..,"global_psnr_y":..,...},...}}
// With -crop every figure is of the region, which the summary names: "of region WxH+X+Y"
// after the frames, "region":"WxH+X+Y" after "frames".
#include <cstdio>

#include "report.h"
#include "stream_columns.h"
#include "common/pairs.h"
#include "common/region.h"
#include "common/settings.h"

// The summary line of a pair: its caption and frames, then each metric of the table with a
// value, the first after a comma and the others after a semicolon: "<label> mean <value>",
// then ", global <value>" for a PSNR and ", min <value> at frame <n>, max <value>" where the
// metric names its extremes; each value in the metric's format and unit.
static const char summary_head_format[] = "%s: %d frames";
static const char summary_region_format[] = " of region %s";
static const char summary_first_separator[] = ", ";
static const char summary_separator[] = "; ";
static const char summary_mean_format[] = "%s mean ";
static const char summary_global_text[] = ", global ";
static const char summary_min_text[] = ", min ";
static const char summary_min_frame_format[] = " at frame %d";
static const char summary_max_text[] = ", max ";
static const char no_frames_format[] = "%s: no frames measured\n";
static const char below_limit_format[] = "%d frames below the minimum PSNR of %.15g dB\n";

// The region measured (-crop), as WxH+X+Y.
static const char *measured_region()
{
    static char text[48];
    region_text(settings.cropping.region, text, sizeof text);
    return text;
}

static void write_value(FILE *out, int metric, double value)
{
    fprintf(out, metrics[metric].format, value);
}

void write_header(FILE *out)
{
    fputs("frame,frozen_enc", out);
    if (settings.expand > 2)
        fputs(",frozen_tra", out);
    for (int pair = 1; pair <= report_state.pair_count; pair++)
        for (int metric = 0; metric < metric_count; metric++)
            if (metric_reported(metric))
                fprintf(out, ",%s_%s", pairs[pair].key, metrics[metric].key);
    write_stream_header(out);
    fputc('\n', out);
}

static void write_csv_frame(FILE *out, int frame_number, int frozen2, int frozen3)
{
    fprintf(out, "%d,%d", frame_number, frozen2);
    if (settings.expand > 2)
        fprintf(out, ",%d", frozen3);
    for (int pair = 1; pair <= report_state.pair_count; pair++)
        for (int metric = 0; metric < metric_count; metric++) {
            if (!metric_reported(metric))
                continue;
            fputc(',', out);
            if (metric_has_values(metric))
                write_value(out, metric, report_state.pair_frame[pair][metric].value);
        }
    write_stream_fields(out);
    fputc('\n', out);
}

// ,"<prefix><key><suffix>":<value>, or null where the metric has no values; without the
// comma when `first`.
static void write_json_member(FILE *out, const char *prefix, int metric, const char *suffix,
                              double value, bool first = false)
{
    fprintf(out, first ? "\"%s%s%s\":" : ",\"%s%s%s\":", prefix, metrics[metric].key, suffix);
    if (metric_has_values(metric))
        write_value(out, metric, value);
    else
        fputs("null", out);
}

static void write_json_frame(FILE *out, int frame_number, int frozen2, int frozen3)
{
    fprintf(out, "{\"frame\":%d,\"frozen_enc\":%s", frame_number, frozen2 ? "true" : "false");
    if (settings.expand > 2)
        fprintf(out, ",\"frozen_tra\":%s", frozen3 ? "true" : "false");
    for (int pair = 1; pair <= report_state.pair_count; pair++) {
        fprintf(out, ",\"%s\":{", pairs[pair].key);
        bool first = true;
        for (int metric = 0; metric < metric_count; metric++)
            if (metric_reported(metric)) {
                write_json_member(out, "", metric, "", report_state.pair_frame[pair][metric].value, first);
                first = false;
            }
        fputc('}', out);
    }
    write_stream_members(out);
    fputs("}\n", out);
}

void write_frame(FILE *out, int frame_number, int frozen2, int frozen3)
{
    if (report_options.json)
        write_json_frame(out, frame_number, frozen2, frozen3);
    else
        write_csv_frame(out, frame_number, frozen2, frozen3);
}

static void write_summary_value(FILE *out, const char *text, int metric, double value)
{
    fputs(text, out);
    write_value(out, metric, value);
    fputs(metrics[metric].unit, out);
}

static void write_summary_line(FILE *out, int pair)
{
    const MetricSeries *series = report_state.pair_summary[pair];
    fprintf(out, summary_head_format, pairs[pair].caption, series[metric_psnr_y].frames);
    if (settings.cropping.text)
        fprintf(out, summary_region_format, measured_region());
    const char *separator = summary_first_separator;
    for (int metric = 0; metric < metric_count; metric++) {
        const Metric &m = metrics[metric];
        const MetricSeries *s = &series[metric];
        if (!metric_reported(metric) || !metric_has_values(metric))
            continue;
        fputs(separator, out);
        separator = summary_separator;
        fprintf(out, summary_mean_format, m.label);
        write_value(out, metric, series_mean(s));
        fputs(m.unit, out);
        if (m.summed == sum_of_errors)
            write_summary_value(out, summary_global_text, metric, series_global(s));
        if (m.extremes) {
            write_summary_value(out, summary_min_text, metric, s->min);
            fprintf(out, summary_min_frame_format, s->min_frame);
            write_summary_value(out, summary_max_text, metric, s->max);
        }
    }
    fputc('\n', out);
}

static void write_summary_lines(FILE *out)
{
    for (int pair = 1; pair <= report_state.pair_count; pair++) {
        if (report_state.pair_summary[pair][metric_psnr_y].frames == 0)
            fprintf(out, no_frames_format, pairs[pair].caption);
        else
            write_summary_line(out, pair);
    }
    write_stream_summary_lines(out);
    if (report_options.min_psnr_given && report_state.frames_below_min_psnr > 0)
        fprintf(out, below_limit_format, report_state.frames_below_min_psnr, report_options.min_psnr);
}

static void write_json_pair_summary(FILE *out, int pair)
{
    fprintf(out, ",\"%s\":{", pairs[pair].key);
    bool first = true;
    for (int metric = 0; metric < metric_count; metric++) {
        const MetricSeries *s = &report_state.pair_summary[pair][metric];
        if (!metric_reported(metric))
            continue;
        write_json_member(out, "mean_", metric, "", series_mean(s), first);
        first = false;
        if (metrics[metric].summed == sum_of_errors)
            write_json_member(out, "global_", metric, "", series_global(s));
        if (metrics[metric].extremes) {
            write_json_member(out, "min_", metric, "", s->min);
            fprintf(out, ",\"min_%s_frame\":%d", metrics[metric].key, s->min_frame);
            write_json_member(out, "max_", metric, "", s->max);
        }
    }
    fputc('}', out);
}

static void write_json_summary(FILE *out)
{
    int frames = report_state.pair_count ? report_state.pair_summary[1][metric_psnr_y].frames : 0;
    fprintf(out, "{\"summary\":{\"frames\":%d", frames);
    if (settings.cropping.text)
        fprintf(out, ",\"region\":\"%s\"", measured_region());
    for (int pair = 1; pair <= report_state.pair_count && frames > 0; pair++)
        write_json_pair_summary(out, pair);
    write_stream_summary_members(out);
    if (report_options.min_psnr_given) {
        fprintf(out, ",\"min_psnr\":%.15g", report_options.min_psnr);
        fprintf(out, ",\"frames_below_min_psnr\":%d", report_state.frames_below_min_psnr);
    }
    fputs("}}\n", out);
}

void write_summary(FILE *csv_summary, FILE *json_out)
{
    if (report_options.json)
        write_json_summary(json_out);
    else
        write_summary_lines(csv_summary);
}
