// Formats of the stream columns and summary, parsed by scripts:
//   CSV fields  ,<type>,<bytes>,<qp>   type a letter as the decoder names it ('?' unknown),
//                                      QP with 2 decimals
//   JSON        ,"type_enc":"P","bytes_enc":1234,"qp_enc":27.25
//   summary     Encoded stream: 12 frames (I 3, P 3, B 6), 34567 bytes, 553.07 kbit/s at 25 fps
//   JSON        ,"stream_enc":{"frames":12,"types":{"I":3,"P":3,"B":6},"bytes":34567,
//               "kbit_per_s":553.07}
#include "stream_columns.h"

#include <cstdint>
#include <cstring>

#include "common/labels.h"
#include "common/settings.h"
#include "source/geometry.h"
#include "source/sequence.h"

// The key of sequence 1..3 in the columns' names.
static const char *sequence_key(int n) { return n == 1 ? "org" : n == 2 ? "enc" : "tra"; }
static const char qp_format[] = "%.2f";
static const char rate_format[] = "%.2f";
static const char summary_head_format[] = "%s stream: %lld frames";
static const char summary_tail_format[] = ", %lld bytes, %.2f kbit/s at %g fps\n";
// Types in the order the summary lists them; others follow as they come.
static const char usual_types[] = "IPB";

// Each decoded stream's frames read over the range.
struct StreamSummary {
    int64_t frames;
    int64_t bytes;
    int64_t of_type[128];  // by the type's letter
};
static StreamSummary stream_summary[4];

// The facts of sequence n's current picture, or null when it is no frame the stream gave.
static const FrameFacts *facts_read(int n)
{
    const FrameFacts *facts = &sequences[n].facts;
    return facts->known ? facts : nullptr;
}

void write_stream_header(FILE *out)
{
    for (int n = 1; n <= settings.expand; n++)
        if (sequence_has_facts(n))
            fprintf(out, ",type_%s,bytes_%s,qp_%s", sequence_key(n), sequence_key(n),
                    sequence_key(n));
}

void write_stream_fields(FILE *out)
{
    for (int n = 1; n <= settings.expand; n++) {
        if (!sequence_has_facts(n))
            continue;
        const FrameFacts *facts = facts_read(n);
        fputc(',', out);
        if (facts)
            fputc(facts->type, out);
        fputc(',', out);
        if (facts && facts->bytes >= 0)
            fprintf(out, "%lld", (long long)facts->bytes);
        fputc(',', out);
        if (facts && facts->has_qp)
            fprintf(out, qp_format, facts->mean_qp);
    }
}

void write_stream_members(FILE *out)
{
    for (int n = 1; n <= settings.expand; n++) {
        if (!sequence_has_facts(n))
            continue;
        const FrameFacts *facts = facts_read(n);
        const char *key = sequence_key(n);
        if (facts)
            fprintf(out, ",\"type_%s\":\"%c\"", key, facts->type);
        else
            fprintf(out, ",\"type_%s\":null", key);
        if (facts && facts->bytes >= 0)
            fprintf(out, ",\"bytes_%s\":%lld", key, (long long)facts->bytes);
        else
            fprintf(out, ",\"bytes_%s\":null", key);
        fprintf(out, ",\"qp_%s\":", key);
        if (facts && facts->has_qp)
            fprintf(out, qp_format, facts->mean_qp);
        else
            fputs("null", out);
    }
}

void add_frame_to_stream_summary()
{
    for (int n = 1; n <= settings.expand; n++) {
        const FrameFacts *facts = sequence_has_facts(n) ? facts_read(n) : nullptr;
        if (!facts)
            continue;
        StreamSummary *s = &stream_summary[n];
        s->frames++;
        s->bytes += facts->bytes > 0 ? facts->bytes : 0;
        s->of_type[facts->type & 127]++;
    }
}

// Bits a second: the mean frame's bits times frames a second.
static double kilobits_per_second(const StreamSummary *s)
{
    Fraction rate = play_rate();
    if (s->frames == 0)
        return 0;
    return (double)s->bytes * 8 / (double)s->frames * rate.numerator / rate.denominator / 1000;
}

// Calls `each` with every type counted, the usual ones first.
template <typename Each> static void walk_types(const StreamSummary *s, Each each)
{
    for (const char *t = usual_types; *t; t++)
        if (s->of_type[(int)*t])
            each(*t, s->of_type[(int)*t]);
    for (int t = 1; t < 128; t++)
        if (s->of_type[t] && !strchr(usual_types, t))
            each((char)t, s->of_type[t]);
}

void write_stream_summary_lines(FILE *out)
{
    Fraction rate = play_rate();
    for (int n = 1; n <= settings.expand; n++) {
        if (!sequence_has_facts(n))
            continue;
        const StreamSummary *s = &stream_summary[n];
        fprintf(out, summary_head_format, sequence_caption(n), (long long)s->frames);
        const char *separator = " (";
        walk_types(s, [&](char type, int64_t count) {
            fprintf(out, "%s%c %lld", separator, type, (long long)count);
            separator = ", ";
        });
        if (s->frames)
            fputc(')', out);
        fprintf(out, summary_tail_format, (long long)s->bytes, kilobits_per_second(s),
                (double)rate.numerator / rate.denominator);
    }
}

void write_stream_summary_members(FILE *out)
{
    for (int n = 1; n <= settings.expand; n++) {
        if (!sequence_has_facts(n))
            continue;
        const StreamSummary *s = &stream_summary[n];
        fprintf(out, ",\"stream_%s\":{\"frames\":%lld,\"types\":{", sequence_key(n),
                (long long)s->frames);
        const char *separator = "";
        walk_types(s, [&](char type, int64_t count) {
            fprintf(out, "%s\"%c\":%lld", separator, type, (long long)count);
            separator = ",";
        });
        fprintf(out, "},\"bytes\":%lld,\"kbit_per_s\":", (long long)s->bytes);
        fprintf(out, rate_format, kilobits_per_second(s));
        fputc('}', out);
    }
}
