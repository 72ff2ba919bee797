// The frame advance that the viewer and the report share: every sequence is brought to
// the next frame of the pass together, as the freeze lists say.
#pragma once

#include <cstdint>

// What the advance did at one frame.
struct FrameStep {
    bool held[4];  // sequence n (2 or 3) was held: its freeze list names the frame
    bool more;     // the pass goes on after this frame
};

// The frame of its file whose picture sequence n holds at `frame` in play from frame 0:
// `frame` less the frames its freeze list holds up to it; -1 when it has read nothing.
int64_t file_frame_shown(int n, int frame);

// Whether the freeze list of sequence n holds it at `frame`; its facts then say frozen.
bool hold_if_frozen(int n, int frame);

// Reads frame k of sequence n into its picture as play does: past the end of the file the
// last whole picture stays, with whatever a cut-off last picture overwrote of it.
void read_as_play(int n, int64_t k);

// Places every sequence where play from frame 0 has it at `frame`, so that a pass started
// anywhere shows what uninterrupted play shows there: each file on the frame it reads
// next, and a sequence held at `frame` given the picture play holds then. Clears an end of
// file met before; false when the first sequence has nothing left there.
bool start_pass(int frame);

// Sequence n at `frame`: the first sequence is always read; the others are held (nothing
// is read: picture and file position stay) when their freeze list names the frame. A
// sequence that ran out keeps its last picture. Returns whether it was held.
bool advance_sequence(int n, int frame);

// Whether the pass goes on after `frame`, once every sequence is at it.
bool pass_goes_on(int frame);

// Every sequence at `frame`, in order.
FrameStep advance_sequences(int frame);
