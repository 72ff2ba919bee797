#include "labels.h"

#include <cstdio>

#include "pairs.h"
#include "settings.h"
#include "panes.h"

static char label_copies[4][256];  // cut at 255 characters, as the file names shown

void set_sequence_label(int n, const char *text)
{
    snprintf(label_copies[n], sizeof label_copies[n], "%s", text);
    settings.sequence_labels[n] = label_copies[n];
}

static const char *const long_names[4] = {"", "Original", "Encoded", "Transmitted"};
static const char *const short_names[4] = {"", "Org", "Enc", "Tra"};

const char *sequence_caption(int n)
{
    return settings.sequence_labels[n] ? settings.sequence_labels[n] : long_names[n];
}

const char *sequence_short_name(int n)
{
    return settings.sequence_labels[n] ? settings.sequence_labels[n] : short_names[n];
}

const char *pair_caption(int pair)
{
    const PairInfo &p = pairs[pair];
    if (!settings.sequence_labels[p.first] && !settings.sequence_labels[p.second])
        return p.caption;
    static char captions[4][520];  // two labels of up to 255 characters and the arrow
    snprintf(captions[pair], sizeof captions[pair], "%s<->%s", sequence_short_name(p.first),
             sequence_short_name(p.second));
    return captions[pair];
}

void caption_panes_by_labels()
{
    for (int pane = 1; pane <= pane_count; pane++)
        panes[pane].caption = panes[pane].kind == pane_sequence
                                  ? sequence_caption(panes[pane].source)
                                  : pair_caption(panes[pane].source);
}
