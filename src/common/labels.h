// Names the user gives the sequences (-label1, -label2, -label3): the captions, the info
// window and the report's plot say them instead of Original, Org<->Enc and so on. Without
// labels every name is the usual one.
#pragma once

// Keeps sequence n's label (cut at 255 characters) in settings.sequence_labels.
void set_sequence_label(int n, const char *text);

// Sequence n's name in a caption: its label, else Original, Encoded or Transmitted.
const char *sequence_caption(int n);
// Its short name: its label, else Org, Enc or Tra.
const char *sequence_short_name(int n);
// Pair 1..3 named by its sequences' short names, "CRF23<->CRF40"; the pair table's caption
// when neither is labelled.
const char *pair_caption(int pair);

// Gives the panes of the pane table the captions of the labels.
void caption_panes_by_labels();
