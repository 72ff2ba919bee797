// The measured pairs: which sequences each compares, where its difference is shown and
// what it is called. Pair 1 needs two sequences, pairs 2 and 3 need three.
#pragma once

struct PairInfo {
    int first;            // sequence 1..3; the difference is first - second
    int second;
    const char *caption;  // as the panes, the info window and the report's summary say it
    const char *key;      // CSV column and JSON key prefix
};

// Index 1..3; entry 0 is unused so that pair numbers index it directly.
extern const PairInfo pairs[4];

// The pairs measured with `sequences` sequences: 0, 1 or 3.
inline int pair_count_for(int sequences) { return sequences >= 3 ? 3 : sequences == 2 ? 1 : 0; }
