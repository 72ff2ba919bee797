// One pass over the frame range, read and frozen exactly as the viewer's first pass.
#include <cstdio>

#include "report.h"
#include "sequence.h"
#include "settings.h"
#include "startup.h"

int frozen2 = 0;
int frozen3 = 0;

void start_report(FILE *out)
{
    if (!report_json)
        write_header(out);
    for (int n = 1; n <= expand; n++)
        position_sequence(n, start_frame);
    frame = start_frame;
}

int report_frame(FILE *out)
{
    if (feof(yuvfile1) || frame > end_frame)
        return 0;
    // A frozen sequence reads nothing: it keeps its picture and its file position.
    frozen2 = expand > 1 && fr2 && fr2_table[frame];
    frozen3 = expand > 2 && fr3 && fr3_table[frame];
    read_picture(1, &picture1);
    if (expand > 1 && !frozen2)
        read_picture(2, &picture2);
    if (expand > 2 && !frozen3)
        read_picture(3, &picture3);
    measure_frame(frame);
    write_frame(out, frame, frozen2, frozen3);
    frame++;
    return 1;
}

void run_report(FILE *out)
{
    start_report(out);
    while (report_frame(out))
        ;
}
