// The report's lines. Scripts parse them, so their formats stand here as named constants.
//
// CSV (default), on standard output: a header line, then one line per frame:
//   frame,frozen_enc[,frozen_tra],<pair>_psnr_y,<pair>_psnr_u,<pair>_psnr_v[,<pair>_psnr_yuv]
//   [,<pair>_ssim]...
// with <pair> org_enc, then (three sequences) enc_tra and org_tra; frozen columns are 0 or 1,
// PSNR in dB with 4 decimals (identical planes 100.0000), SSIM with 6 decimals. psnr_yuv
// (all three planes' samples together) is there with -pix_fmt or a format other than 8-bit
// 4:2:0; gray pictures leave the U and V fields empty (JSON: null).
// The summary goes to standard error, one line per pair (summary_line_format).
//
// JSON lines (-json), on standard output: one object per frame, then one summary object:
//   {"frame":3,"frozen_enc":false,"org_enc":{"psnr_y":..,"psnr_u":..,"psnr_v":..,"ssim":..}}
//   {"summary":{"frames":N,"org_enc":{"mean_psnr_y":..,"global_psnr_y":..,...},...}}
#include <cstdio>
#include <initializer_list>

#include "report.h"
#include "common/pairs.h"
#include "common/settings.h"

static const char psnr_format[] = "%.4f";
static const char ssim_format[] = "%.6f";
static const char summary_line_format[] =
    "%s: %d frames, PSNR Y mean %.4f dB, global %.4f dB, min %.4f dB at frame %d, "
    "max %.4f dB";
static const char summary_chroma_format[] =
    "; U mean %.4f dB, global %.4f dB; V mean %.4f dB, global %.4f dB";
static const char summary_yuv_format[] = "; YUV mean %.4f dB, global %.4f dB";
static const char summary_ssim_format[] = "; SSIM mean %.6f";
static const char below_limit_format[] = "%d frames below the minimum PSNR of %.15g dB\n";

static void write_value(FILE *out, const char *format, double value)
{
    fprintf(out, format, value);
}

void write_header(FILE *out)
{
    fputs("frame,frozen_enc", out);
    if (expand > 2)
        fputs(",frozen_tra", out);
    for (int pair = 1; pair <= pair_count; pair++) {
        const char *key = pairs[pair].key;
        fprintf(out, ",%s_psnr_y,%s_psnr_u,%s_psnr_v", key, key, key);
        if (report_yuv_columns())
            fprintf(out, ",%s_psnr_yuv", key);
        if (report_ssim)
            fprintf(out, ",%s_ssim", key);
    }
    fputc('\n', out);
}

static void write_csv_frame(FILE *out, int frame_number, int frozen2, int frozen3)
{
    fprintf(out, "%d,%d", frame_number, frozen2);
    if (expand > 2)
        fprintf(out, ",%d", frozen3);
    for (int pair = 1; pair <= pair_count; pair++) {
        const PairFrame *m = &pair_frame[pair];
        fputc(',', out);
        write_value(out, psnr_format, m->psnr_y);
        for (double value : {m->psnr_u, m->psnr_v}) {
            fputc(',', out);
            if (report_chroma_columns())
                write_value(out, psnr_format, value);
        }
        if (report_yuv_columns()) {
            fputc(',', out);
            write_value(out, psnr_format, m->psnr_yuv);
        }
        if (report_ssim) {
            fputc(',', out);
            write_value(out, ssim_format, m->ssim);
        }
    }
    fputc('\n', out);
}

static void write_json_member(FILE *out, const char *key, const char *format, double value,
                              int first = 0)
{
    fprintf(out, first ? "\"%s\":" : ",\"%s\":", key);
    write_value(out, format, value);
}

// A U or V figure: null for gray pictures, which have none.
static void write_json_chroma(FILE *out, const char *key, double value)
{
    if (report_chroma_columns())
        write_json_member(out, key, psnr_format, value);
    else
        fprintf(out, ",\"%s\":null", key);
}

static void write_json_frame(FILE *out, int frame_number, int frozen2, int frozen3)
{
    fprintf(out, "{\"frame\":%d,\"frozen_enc\":%s", frame_number, frozen2 ? "true" : "false");
    if (expand > 2)
        fprintf(out, ",\"frozen_tra\":%s", frozen3 ? "true" : "false");
    for (int pair = 1; pair <= pair_count; pair++) {
        const PairFrame *m = &pair_frame[pair];
        fprintf(out, ",\"%s\":{", pairs[pair].key);
        write_json_member(out, "psnr_y", psnr_format, m->psnr_y, 1);
        write_json_chroma(out, "psnr_u", m->psnr_u);
        write_json_chroma(out, "psnr_v", m->psnr_v);
        if (report_yuv_columns())
            write_json_member(out, "psnr_yuv", psnr_format, m->psnr_yuv);
        if (report_ssim)
            write_json_member(out, "ssim", ssim_format, m->ssim);
        fputc('}', out);
    }
    fputs("}\n", out);
}

void write_frame(FILE *out, int frame_number, int frozen2, int frozen3)
{
    if (report_json)
        write_json_frame(out, frame_number, frozen2, frozen3);
    else
        write_csv_frame(out, frame_number, frozen2, frozen3);
}

static double mean_ssim(const PairSummary *s)
{
    return s->y.frames ? s->ssim_total / s->y.frames : 0.0;
}

static void write_summary_lines(FILE *out)
{
    for (int pair = 1; pair <= pair_count; pair++) {
        const PairSummary *s = &pair_summary[pair];
        if (s->y.frames == 0) {
            fprintf(out, "%s: no frames measured\n", pairs[pair].caption);
            continue;
        }
        fprintf(out, summary_line_format, pairs[pair].caption, s->y.frames, series_mean(&s->y),
                series_global(&s->y), s->y.min, s->y.min_frame, s->y.max);
        if (report_chroma_columns())
            fprintf(out, summary_chroma_format, series_mean(&s->u), series_global(&s->u),
                    series_mean(&s->v), series_global(&s->v));
        if (report_yuv_columns())
            fprintf(out, summary_yuv_format, series_mean(&s->yuv), series_global(&s->yuv));
        if (report_ssim)
            fprintf(out, summary_ssim_format, mean_ssim(s));
        fputc('\n', out);
    }
    if (min_psnr_given && frames_below_min_psnr > 0)
        fprintf(out, below_limit_format, frames_below_min_psnr, min_psnr);
}

static void write_json_summary(FILE *out)
{
    int frames = pair_count ? pair_summary[1].y.frames : 0;
    fprintf(out, "{\"summary\":{\"frames\":%d", frames);
    for (int pair = 1; pair <= pair_count && frames > 0; pair++) {
        const PairSummary *s = &pair_summary[pair];
        fprintf(out, ",\"%s\":{", pairs[pair].key);
        write_json_member(out, "mean_psnr_y", psnr_format, series_mean(&s->y), 1);
        write_json_member(out, "global_psnr_y", psnr_format, series_global(&s->y));
        write_json_member(out, "min_psnr_y", psnr_format, s->y.min);
        fprintf(out, ",\"min_psnr_y_frame\":%d", s->y.min_frame);
        write_json_member(out, "max_psnr_y", psnr_format, s->y.max);
        write_json_chroma(out, "mean_psnr_u", series_mean(&s->u));
        write_json_chroma(out, "global_psnr_u", series_global(&s->u));
        write_json_chroma(out, "mean_psnr_v", series_mean(&s->v));
        write_json_chroma(out, "global_psnr_v", series_global(&s->v));
        if (report_yuv_columns()) {
            write_json_member(out, "mean_psnr_yuv", psnr_format, series_mean(&s->yuv));
            write_json_member(out, "global_psnr_yuv", psnr_format, series_global(&s->yuv));
        }
        if (report_ssim)
            write_json_member(out, "mean_ssim", ssim_format, mean_ssim(s));
        fputc('}', out);
    }
    if (min_psnr_given) {
        fprintf(out, ",\"min_psnr\":%.15g", min_psnr);
        fprintf(out, ",\"frames_below_min_psnr\":%d", frames_below_min_psnr);
    }
    fputs("}}\n", out);
}

void write_summary(FILE *csv_summary, FILE *json_out)
{
    if (report_json)
        write_json_summary(json_out);
    else
        write_summary_lines(csv_summary);
}
